#include "replay/replay_command.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>

#include "replay/replay.h"
#include "runtime/host_runtime.h"

namespace vantorel_sim {

namespace {

constexpr int kExitLoad = 1;
constexpr int kExitUsage = 2;

void Error(const std::string& message) { std::fprintf(stderr, "vantorel-sim replay: %s\n", message.c_str()); }

}  // namespace

int RunReplayCommand(int argc, char** argv) {
    CLI::App app("Replay a JSON Lines script against the stand-in host and record every call.",
                 "vantorel-sim replay");
    app.allow_windows_style_options(false);  // an absolute path like /tmp/x.jsonl is no option
    std::string script_path;
    std::string trace_path;
    ReplayOptions options;
    bool no_sound = false;
    app.add_option("SCRIPT", script_path, "JSON Lines script, one frame a line ('-': standard input)")->required();
    app.add_option("--trace", trace_path, "write the call trace as JSON Lines to OUT ('-': standard output)")
        ->type_name("OUT");
    app.add_option("--vessels", options.vessels, "vessels created at the start (default 1)")->type_name("N");
    app.add_option("--flight-model", options.flight_model, "what GetFlightModel reports (default 1)")->type_name("N");
    app.add_flag("--no-sound", no_sound, "do not load the sound library");
    app.add_option("--module", options.module_path, "vessel module to load (default: the one built with the runner)")
        ->type_name("PATH");
    app.footer("Exit status: 0 done, 1 the module cannot be loaded, 2 an unusable script.\n"
               "Formats: docs/replay.md.");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : kExitUsage;
    }
    options.sound = !no_sound;
    if (options.vessels < 0 || options.vessels > kMaxVessels) {
        Error("--vessels must be 0 to " + std::to_string(kMaxVessels) + ", got " + std::to_string(options.vessels));
        return kExitUsage;
    }

    // Read and check the whole script before anything is loaded or written.
    ReplayScript script;
    try {
        if (script_path == "-") {
            script = ParseScript(std::cin, "<stdin>");
        } else {
            std::ifstream in(script_path);
            if (!in) {
                Error("cannot read script '" + script_path + "': " + std::strerror(errno));
                return kExitUsage;
            }
            script = ParseScript(in, script_path);
        }
        CheckScript(script, options.vessels);
    } catch (const ScriptError& e) {
        Error(e.what());
        return kExitUsage;
    }

    const bool tracing = !trace_path.empty();
    const bool trace_to_stdout = trace_path == "-";
    std::FILE* trace = nullptr;
    if (tracing) {
        trace = trace_to_stdout ? stdout : std::fopen(trace_path.c_str(), "wb");
        if (trace == nullptr) {
            Error("cannot write trace '" + trace_path + "': " + std::strerror(errno));
            return kExitUsage;
        }
    }
    options.trace = trace;
    auto close_trace = [&]() -> bool {
        if (trace == nullptr) return true;
        bool ok = std::fflush(trace) == 0 && std::ferror(trace) == 0;
        if (!trace_to_stdout) ok = std::fclose(trace) == 0 && ok;
        trace = nullptr;
        return ok;
    };

    ReplaySummary summary;
    try {
        summary = RunReplay(script, options);
    } catch (const LoadError& e) {
        close_trace();
        if (tracing && !trace_to_stdout) std::remove(trace_path.c_str());
        Error(e.what());
        return kExitLoad;
    } catch (const std::exception& e) {
        // The host refused something mid-run (e.g. a vessel's ovcInit failed).
        close_trace();
        Error(std::string("replay stopped: ") + e.what());
        return kExitLoad;
    }
    if (!close_trace()) {
        Error("error writing trace '" + trace_path + "': " + std::strerror(errno));
        return kExitLoad;
    }
    if (!tracing) std::fputs(FormatSummary(summary).c_str(), stdout);
    return 0;
}

}  // namespace vantorel_sim
