// The recorder's state, shared by the files that write events into its one
// reused buffer.
#ifndef VANTOREL_HOST_TRACE_STATE_H
#define VANTOREL_HOST_TRACE_STATE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "runtime/trace.h"

namespace host::trace::detail {

// The buffer is handed to the sink once an event leaves it this large.
constexpr std::size_t kFlushAt = 1u << 16;

struct State {
    bool enabled = false;
    int paused = 0;
    std::string buf;
    std::FILE* file = nullptr;
    // errno of the first failed write to file; nothing more is written to
    // it after that, so a full disk does not get a trace cut at random.
    int file_error = 0;
    std::function<void(std::string_view)> callback;
    std::int64_t frame = 0;
    int vessel = -1;
    // The start of every call event, '{"frame": F, "vessel": V, "call": ',
    // for the frame and vessel it was written for.
    std::string head;
    std::int64_t head_frame = -1;
    int head_vessel = -2;
};

inline State& state() {
    static State s;
    return s;
}

// Hands the buffer to the sink and empties it.
void drain();

// Ends an event: hands the buffer to the sink when it has grown large.
inline void finish_event() {
    if (state().buf.size() >= kFlushAt) drain();
}

inline bool sink_present() { return state().file != nullptr || static_cast<bool>(state().callback); }

}  // namespace host::trace::detail

#endif
