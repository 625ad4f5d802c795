// Call recorder of the stand-in host. Off by default; when on, every call
// across the module boundary is written as one JSON line when it returns, so
// the calls it caused come first. Formatting goes into one reused buffer that
// is handed to the sink in large pieces.
#ifndef VANTOREL_HOST_TRACE_H
#define VANTOREL_HOST_TRACE_H

#include <Orbitersdk.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace host::trace {

namespace detail {
// True while recording is enabled and not paused; the only thing hot paths test.
extern OAPIFUNC bool g_active;
}  // namespace detail

// One predictable branch when the recorder is off.
inline bool active() noexcept { return detail::g_active; }

// Where events go. A FILE* is written with fwrite; a callback receives whole
// lines (possibly several at once). Setting a sink flushes the previous one.
OAPIFUNC void set_sink(std::FILE* out);
OAPIFUNC void set_sink(std::function<void(std::string_view)> out);
OAPIFUNC void clear_sink();

// Recording of call events on or off. Turning it off flushes.
OAPIFUNC void enable(bool on);
OAPIFUNC bool enabled();

// Hands everything buffered to the sink (and fflush for a FILE*). False
// once a write to the FILE* sink has failed: from then on nothing more is
// written to it, and sink_error() tells why.
OAPIFUNC bool flush();
// errno of the first failed write to the current FILE* sink, 0 while every
// write went through. A new sink starts at 0; clear_sink() keeps the value,
// so it can be read after a Recording has ended.
OAPIFUNC int sink_error();

// Context written into every event: the frame number and the index of the
// vessel whose callback is running (-1: none, written as null).
OAPIFUNC void set_frame(std::int64_t frame);
OAPIFUNC std::int64_t frame();
OAPIFUNC void set_vessel(int vessel);
OAPIFUNC int vessel();

// Records every call to one sink while alive: sets the sink and turns
// recording on; the destructor turns recording off, flushes and clears the
// sink. The one way tools and tests capture a trace.
class OAPIFUNC Recording {
public:
    explicit Recording(std::FILE* out);
    explicit Recording(std::function<void(std::string_view)> out);
    ~Recording();
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;
};

// Keeps the runtime's own bookkeeping calls out of the trace.
class OAPIFUNC Pause {
public:
    Pause();
    ~Pause();
    Pause(const Pause&) = delete;
    Pause& operator=(const Pause&) = delete;
};

// Value formatting as the trace writes it, exposed for tests and tools.
// Doubles: shortest round-trip form, always with '.' or an exponent;
// NaN and infinities as the strings "nan", "inf", "-inf" (quotes included).
OAPIFUNC std::string format_double(double v);
// Host handles as "KIND:V:N" (quoted), meshes as "mesh:<name>", null as null.
OAPIFUNC std::string format_handle(const void* handle);

// Builds one event in the shared buffer. Usage:
//   if (host::trace::active()) [[unlikely]]
//       host::trace::Call("SetSize").num(size).end();
//   ... Call("GetAirspeed").result().num(v).end();
// Containers: begin_array()/end_array(), begin_object()/key()/end_object().
class OAPIFUNC Call {
public:
    explicit Call(const char* name);
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

    Call& num(double v);
    Call& integer(std::int64_t v);
    Call& boolean(bool v);
    Call& text(const char* s);  // null pointer: null
    Call& null();
    Call& vec(const VECTOR3& v);
    Call& vec(const VECTOR3* v);  // null pointer: null
    Call& handle(const void* h);  // any host handle (mesh included) or null
    Call& module(HMODULE m);      // "module:<file name>" or null
    Call& prefixed(const char* prefix, const char* s);  // "<prefix><s>"
    Call& coeff(AirfoilCoeffFunc f);                    // "coeff:N" or null
    Call& drag_var(int vessel, const double* var);      // {"var": K, "value": v}
    Call& raw(std::string_view json);
    Call& begin_array();
    Call& end_array();
    Call& begin_object();
    Call& key(const char* k);
    Call& end_object();

    // Records by contents.
    Call& beacon(const BEACONLIGHTSPEC* b);
    Call& transform(const MGROUP_TRANSFORM* t);
    Call& hud(const VCHUDSPEC* h);
    Call& mfd(const VCMFDSPEC* m);

    // Closes the argument list; what follows is the result.
    Call& result();
    // Writes the event. Must be called exactly once.
    void end();

private:
    void sep();
    unsigned depth_ = 0;
    std::uint32_t need_comma_ = 0;  // bit per nesting level
    bool in_result_ = false;
    bool after_key_ = false;
};

}  // namespace host::trace

#endif
