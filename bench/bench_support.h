// Shared set-up of the benchmarks: the module linked into this binary (so a
// benchmark can reach the vessel object and its handles) or the shipped
// library loaded from its file, both with the stand-in sound library running.
#ifndef VANTOREL_BENCH_SUPPORT_H
#define VANTOREL_BENCH_SUPPORT_H

#include <memory>
#include <string>
#include <string_view>

#include "host/runtime/host_runtime.h"
#include "module/module_entry.h"
#include "module/vantorel_vessel.h"
#include "module/vessel_state.h"


namespace vantorel_bench {

inline std::string LibDir() { return std::string(VANTOREL_BUILD_DIR) + "/lib"; }

// A runtime with the sound library loaded and the module either adopted from
// this binary (white box) or loaded from Vantorel.so.
inline std::unique_ptr<host::Runtime> MakeRuntime(bool linked_module) {
    auto rt = std::make_unique<host::Runtime>();
    rt->load_sound_library(LibDir() + "/OrbiterSound.dll");
    if (linked_module) {
        vantorel::shared_state = vantorel::ModuleState{};
        host::ModuleEntryPoints entry;
        entry.dll_main = DllMain;
        entry.ovc_init = ovcInit;
        entry.ovc_exit = ovcExit;
        entry.get_module_version = GetModuleVersion;
        rt->adopt_module(entry, "Vantorel.so");
    } else {
        rt->load_module(LibDir() + "/Vantorel.so");
    }
    return rt;
}

// Counts the call events recorded while alive: used to check that a baseline
// makes as many host calls as the code it stands for.
class CallCounter {
public:
    CallCounter() {
        host::trace::set_sink([this](std::string_view text) {
            for (char c : text) lines_ += (c == '\n');
        });
        host::trace::enable(true);
    }
    ~CallCounter() {
        host::trace::enable(false);
        host::trace::clear_sink();
    }
    CallCounter(const CallCounter&) = delete;
    CallCounter& operator=(const CallCounter&) = delete;
    long count() {
        host::trace::flush();
        return lines_;
    }

private:
    long lines_ = 0;
};

}  // namespace vantorel_bench

#endif
