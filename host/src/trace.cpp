// The call recorder: sinks, on/off, the frame and vessel context written
// into every event, and the hand-off of the buffer to the sink.
#include <cerrno>
#include <utility>

#include "src/trace_format.h"
#include "src/trace_state.h"

namespace host::trace {

namespace detail {

bool g_active = false;

void drain() {
    State& s = state();
    if (s.buf.empty()) return;
    if (s.file != nullptr) {
        if (s.file_error == 0) {
            errno = 0;
            if (std::fwrite(s.buf.data(), 1, s.buf.size(), s.file) != s.buf.size()) s.file_error = errno != 0 ? errno : EIO;
        }
    } else if (s.callback) {
        s.callback(s.buf);
    }
    s.buf.clear();
}

}  // namespace detail

namespace {

using detail::state;
using detail::State;

void update_active() {
    State& s = state();
    detail::g_active = s.enabled && s.paused == 0 && (s.file != nullptr || s.callback);
}

}  // namespace

void set_sink(std::FILE* out) {
    flush();
    State& s = state();
    s.callback = nullptr;
    s.file = out;
    s.file_error = 0;
    update_active();
}

void set_sink(std::function<void(std::string_view)> out) {
    flush();
    State& s = state();
    s.file = nullptr;
    s.file_error = 0;
    s.callback = std::move(out);
    update_active();
}

void clear_sink() {
    flush();
    State& s = state();
    s.file = nullptr;
    s.callback = nullptr;
    update_active();
}

void enable(bool on) {
    State& s = state();
    if (!on) flush();
    s.enabled = on;
    if (on && s.buf.capacity() < 2 * detail::kFlushAt) s.buf.reserve(2 * detail::kFlushAt);
    update_active();
}

bool enabled() { return state().enabled; }

bool flush() {
    detail::drain();
    State& s = state();
    if (s.file != nullptr && s.file_error == 0) {
        errno = 0;
        if (std::fflush(s.file) != 0 || std::ferror(s.file) != 0) s.file_error = errno != 0 ? errno : EIO;
    }
    return s.file_error == 0;
}

int sink_error() { return state().file_error; }

void set_frame(std::int64_t frame) { state().frame = frame; }
std::int64_t frame() { return state().frame; }
void set_vessel(int vessel) { state().vessel = vessel; }
int vessel() { return state().vessel; }

Recording::Recording(std::FILE* out) {
    set_sink(out);
    enable(true);
}

Recording::Recording(std::function<void(std::string_view)> out) {
    set_sink(std::move(out));
    enable(true);
}

Recording::~Recording() {
    enable(false);
    clear_sink();
}

Pause::Pause() {
    ++state().paused;
    update_active();
}

Pause::~Pause() {
    --state().paused;
    update_active();
}

std::string format_double(double v) {
    std::string out;
    host::detail::put_double(out, v);
    return out;
}

std::string format_handle(const void* handle) {
    std::string out;
    host::detail::put_handle(out, handle);
    return out;
}

}  // namespace host::trace
