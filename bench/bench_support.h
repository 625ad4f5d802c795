// Shared set-up of the benchmarks: the shipped library loaded from its file
// with the stand-in sound library running, reached the way the simulator
// reaches it: through the host and the vessel object it created. What the
// benchmarks know of the vessel comes from its layout.
#ifndef VANTOREL_BENCH_SUPPORT_H
#define VANTOREL_BENCH_SUPPORT_H

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "vantorel/vessel_layout.h"
#include "runtime/host_runtime.h"

namespace vantorel_bench {

inline std::string LibDir() { return std::string(VANTOREL_BUILD_DIR) + "/lib"; }

// A runtime with the sound library and Vantorel.so loaded.
inline std::unique_ptr<host::Runtime> MakeRuntime() {
    auto rt = std::make_unique<host::Runtime>();
    rt->load_sound_library(LibDir() + "/OrbiterSound.dll");
    rt->load_module(LibDir() + "/Vantorel.so");
    return rt;
}

// The host's handle of one of the vessel's animations: its place in the layout.
inline UINT Animation(vantorel::layout::Animation a) { return static_cast<UINT>(vantorel::layout::Index(a)); }

// An entry of the loaded sound library, by name.
template <typename Fn>
Fn SoundEntry(const char* name) {
    FARPROC entry = GetProcAddress(GetModuleHandleA("OrbiterSound.dll"), name);
    if (!entry) throw std::runtime_error(std::string("the sound library has no entry ") + name);
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(entry));
}

// Counts the call events recorded while alive: used to check that a baseline
// makes as many host calls as the code it stands for.
class CallCounter {
public:
    CallCounter()
        : recording_([this](std::string_view text) {
              for (char c : text) lines_ += (c == '\n');
          }) {}
    long count() {
        host::trace::flush();
        return lines_;
    }

private:
    long lines_ = 0;
    host::trace::Recording recording_;  // after lines_: flushes into it when destroyed
};

}  // namespace vantorel_bench

#endif
