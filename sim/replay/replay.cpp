// The whole replay: load, create, play, capture, tear down.
#include "replay/replay.h"

#include <filesystem>
#include <optional>

#include "runtime/host_runtime.h"

namespace vantorel_sim::replay {

ReplaySummary RunReplay(const ReplayScript& script, const ReplayOptions& options) {
    CheckScript(script, options.vessels);

    host::Runtime rt;
    rt.set_flight_model(options.flight_model);
    if (!options.mesh_dir.empty()) rt.set_mesh_dir(options.mesh_dir);
    // Recording stops when the replay ends, also on a throw.
    std::optional<host::trace::Recording> recording;
    if (options.trace) recording.emplace(options.trace);

    if (options.sound) {
        try {
            rt.load_sound_library(options.sound_path.empty() ? DefaultSoundLibraryPath() : options.sound_path);
        } catch (const host::HostError& e) {
            throw LoadError(std::string(e.what()) + " (--no-sound runs without it)");
        }
    }
    try {
        rt.load_module(options.module_path.empty() ? DefaultModulePath() : options.module_path);
    } catch (const host::HostError& e) {
        throw LoadError(e.what());
    }

    std::string module_file = std::filesystem::path(options.module_path.empty() ? DefaultModulePath()
                                                                                : options.module_path)
                                  .filename()
                                  .string();
    for (int i = 0; i < options.vessels; ++i) rt.create_vessel();

    ReplayScriptPlayer player(rt, options.trace != nullptr);
    player.set_progress(options.on_progress);
    player.RunScript(script);

    ReplaySummary summary = CaptureSummary(rt, script.source, player.frames_run());
    summary.module_file = module_file;

    rt.set_frame(player.frames_run() + 1);
    rt.destroy_all_vessels();
    rt.unload_module();
    return summary;
}

}  // namespace vantorel_sim::replay
