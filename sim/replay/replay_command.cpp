#include "replay/replay_command.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <limits>
#include <filesystem>

#include "common/cli_values.h"
#include "common/exit_codes.h"
#include "common/input_text.h"
#include "common/number_args.h"
#include "common/output_file.h"
#include "common/output_plan.h"
#include "common/progress.h"
#include "common/standard_output.h"
#include "common/text_escape.h"
#include "replay/replay.h"
#include "runtime/host_runtime.h"
#include "runtime/trace.h"

namespace vantorel_sim {

namespace {

void Error(const std::string& message) {
    std::fprintf(stderr, "vantorel-sim replay: %s\n", MessageSafe(message).c_str());
}

// The stand-in sound library's variants, installed beside the runner.
struct SoundVariant {
    const char* name;
    const char* what;
};
constexpr SoundVariant kSoundVariants[] = {
    {"no_stop", "without StopVesselWave3 (an older library)"},
    {"no_id", "without GetVesselSoundID3"},
    {"bad_id", "sound ids counted from 60 instead of 0"},
};

std::string SoundVariantPath(const char* name) {
    return LibraryPath((std::string("sound-variants/") + name + "/OrbiterSound.dll").c_str());
}

std::string Footer() {
    std::string text = "Sound-library variants for --sound-library (the module's paths for an incomplete library):\n";
    for (const SoundVariant& v : kSoundVariants) {
        text += "  " + std::filesystem::path(SoundVariantPath(v.name)).lexically_normal().string() + "\n      " +
                v.what + "\n";
    }
    text += "Limits: a script of at most " + DescribeBytes(kDefaultMaxInputBytes) + ", lines of at most " +
            DescribeBytes(kDefaultMaxLineBytes) + ", " + std::to_string(replay::kDefaultMaxFrames) +
            " frames unless --max-frames says otherwise.\n";
    return text + kExitCodesText + "Formats: docs/replay.md.";
}

struct ReplayArguments {
    std::string script_path, trace_path, module_path, sound_path;
    std::string vessels_text = "1", flight_model_text = "1",
                max_frames_text = std::to_string(replay::kDefaultMaxFrames);
    bool no_sound = false;
};

replay::ReplayOptions CheckArguments(const ReplayArguments& args) {
    replay::ReplayOptions options;
    options.vessels = static_cast<int>(ParseIntegerArg(args.vessels_text, "--vessels", 0, replay::kMaxVessels));
    // GetFlightModel reports an integer level; the module takes every level
    // of 1 or more as the realistic model, so any int replays.
    options.flight_model = static_cast<int>(ParseIntegerArg(args.flight_model_text, "--flight-model",
                                                            std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
    options.sound = !args.no_sound;
    if (args.no_sound && !args.sound_path.empty()) {
        throw CommandError(kExitBadInput, "--sound-library and --no-sound exclude each other");
    }
    options.module_path = args.module_path.empty() ? DefaultModulePath() : args.module_path;
    if (options.sound) options.sound_path = args.sound_path.empty() ? DefaultSoundLibraryPath() : args.sound_path;
    return options;
}

// No output may land on an input or on another output; checked before
// anything is read, loaded or written.
// Returns the trace's place in the plan.
OutputPlan::Output CheckPaths(const ReplayArguments& args, const replay::ReplayOptions& options, OutputPlan& plan) {
    plan.AddInput("the script", args.script_path);
    plan.AddInput("the module", options.module_path);
    plan.AddInput("the sound library", options.sound_path);
    const OutputPlan::Output trace = plan.AddOutput("the trace", args.trace_path);
    plan.Check();
    return trace;
}

// The whole script is read and checked before anything is loaded.
replay::ReplayScript ReadCheckedScript(const ReplayArguments& args, std::int64_t max_frames, int vessels) {
    replay::ReplayScript script;
    try {
        TextReader reader(args.script_path, "the script");
        script = replay::ReadScript(reader, max_frames);
        replay::CheckScript(script, vessels);
    } catch (const replay::ReplayScriptError& e) {
        throw CommandError(kExitBadInput, e.what());
    }
    return script;
}

// The run, with what stops it as a CommandError.
replay::ReplaySummary RunChecked(const replay::ReplayScript& script, const replay::ReplayOptions& options) {
    replay::ReplaySummary summary;
    try {
        summary = replay::RunReplay(script, options);
    } catch (const replay::LoadError& e) {
        throw CommandError(kExitRunFailed, e.what());
    } catch (const CommandError&) {
        throw;
    } catch (const std::exception& e) {
        // The host refused something mid-run (e.g. a vessel's ovcInit failed).
        throw CommandError(kExitRunFailed, std::string("replay stopped: ") + e.what());
    }
    return summary;
}

// Everything after the command line: checks, then the run; throws CommandError.
int Replay(const ReplayArguments& args) {
    replay::ReplayOptions options = CheckArguments(args);
    const std::int64_t max_frames = ParseIntegerArg(args.max_frames_text, "--max-frames", 1, replay::kMaxFrames);
    OutputPlan plan;
    const OutputPlan::Output trace = CheckPaths(args, options, plan);
    const replay::ReplayScript script = ReadCheckedScript(args, max_frames, options.vessels);

    plan.Open();
    options.trace = plan.file(trace);
    // Said once, also when the trace is standard output.
    const auto trace_error = [&](int err) {
        if (plan.writes_standard_output()) StandardOutputFailureReported();
        return CommandError(kExitOutputFailed,
                            "cannot write the trace '" + args.trace_path + "': " + std::strerror(err));
    };
    Progress progress("vantorel-sim replay");
    const double total = static_cast<double>(script.frame_count());
    options.on_progress = [&](std::int64_t frames) {
        if (const int err = host::trace::sink_error()) throw trace_error(err);
        progress.Update(static_cast<double>(frames) / total,
                        [&] { return "frame " + std::to_string(frames) + " of " + std::to_string(script.frame_count()); });
    };
    const replay::ReplaySummary summary = RunChecked(script, options);
    progress.Clear();
    if (const int err = host::trace::sink_error(); options.trace != nullptr && err != 0) throw trace_error(err);
    if (options.trace == nullptr) std::fputs(replay::FormatSummary(summary).c_str(), stdout);
    plan.Commit();
    return kExitSuccess;
}

}  // namespace

int RunReplayCommand(int argc, char** argv) {
    CLI::App app("Replay a JSON Lines script against the stand-in host and record every call.",
                 "vantorel-sim replay");
    app.allow_windows_style_options(false);  // an absolute path like /tmp/x.jsonl is no option
    ReplayArguments args;
    app.add_option("SCRIPT", args.script_path, "JSON Lines script, one frame a line ('-': standard input)")
        ->required()
        ->type_name("FILE");
    app.add_option("--trace", args.trace_path, "write the call trace as JSON Lines to OUT ('-': standard output)")
        ->type_name("OUT");
    app.add_option("--vessels", args.vessels_text, "vessels created at the start, 0 to 100000 (default 1)")
        ->type_name("N");
    app.add_option("--flight-model", args.flight_model_text,
                   "the level GetFlightModel reports, any 32-bit integer: 0 easy, 1 or more realistic (default 1)")
        ->type_name("N");
    app.add_option("--max-frames", args.max_frames_text,
                   "refuse a script that runs more frames (default " + std::to_string(replay::kDefaultMaxFrames) + ")")
        ->type_name("N");
    app.add_flag("--no-sound", args.no_sound, "do not load the sound library");
    app.add_option("--sound-library", args.sound_path,
                   "sound library to load instead of the stand-in built with the runner (variants below)")
        ->type_name("PATH");
    app.add_option("--module", args.module_path, "vessel module to load (default: the one built with the runner)")
        ->type_name("PATH");
    app.footer(Footer());
    if (const auto status = ParseCommandLine(app, argc, argv, "replay")) return *status;
    int code = kExitSuccess;
    try {
        code = Replay(args);
    } catch (const CommandError& e) {
        Error(e.what());
        code = e.exit_code();
    }
    return FinishStandardOutput("replay", code);
}

}  // namespace vantorel_sim
