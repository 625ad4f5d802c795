#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "harness.h"
#include "lifecycle/module_entry.h"
#include "replay/replay.h"
#include "runtime/host_runtime.h"

namespace vantorel_fuzz {

namespace {

// Scripts beyond these run correctly but would only slow the fuzzer down.
constexpr std::int64_t MAX_FRAMES_RUN = 3000;
constexpr int MAX_VESSELS_RUN = 8;
constexpr int INITIAL_VESSELS = 2;

int Creations(const vantorel_sim::replay::ReplayScript& script) {
    int n = INITIAL_VESSELS;
    for (const auto& f : script.frames) n += f.create.value_or(0);
    return n;
}

}  // namespace

std::string RunReplayScript(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    vantorel_sim::replay::ReplayScript script;
    try {
        script = vantorel_sim::replay::ParseScriptText(text, "fuzz");
        vantorel_sim::replay::CheckScript(script, INITIAL_VESSELS);
    } catch (const vantorel_sim::replay::ReplayScriptError& e) {
        // A clean refusal names a line within the script.
        const long lines = std::count(text.begin(), text.end(), '\n') + 1;
        if (e.line() < 0 || e.line() > lines) return "error names line " + std::to_string(e.line());
        return {};
    }
    if (script.frame_count() > MAX_FRAMES_RUN || Creations(script) > MAX_VESSELS_RUN) return {};

    // A script that passed the checks must run to its end; the module is the
    // one linked in, the trace written to a sink that drops it.
    ResetLinkedModule();
    std::string fault;
    try {
        // Declared first, so the tear-down of the runtime is recorded too.
        std::optional<host::trace::Recording> recording;
        host::Runtime rt;
        rt.load_sound_library(std::string(VANTOREL_BUILD_DIR) + "/lib/OrbiterSound.dll");
        host::ModuleEntryPoints entry;
        entry.dll_main = DllMain;
        entry.ovc_init = ovcInit;
        entry.ovc_exit = ovcExit;
        entry.get_module_version = GetModuleVersion;
        rt.adopt_module(entry, "Vantorel.so");
        recording.emplace([](std::string_view) {});
        for (int i = 0; i < INITIAL_VESSELS; ++i) rt.create_vessel();
        vantorel_sim::replay::ReplayScriptPlayer player(rt, true);
        player.RunScript(script);
        if (player.frames_run() != script.frame_count()) fault = "ran fewer frames than the script holds";
        rt.destroy_all_vessels();
    } catch (const std::exception& e) {
        fault = std::string("checked script failed while running: ") + e.what();
    }
    return fault;
}

}  // namespace vantorel_fuzz
