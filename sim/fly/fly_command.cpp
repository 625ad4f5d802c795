#include "fly/fly_command.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

#include "fly/flight.h"
#include "fly/report.h"
#include "runtime/host_runtime.h"

namespace vantorel_sim {

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

void Error(const std::string& message) { std::fprintf(stderr, "vantorel-sim fly: %s\n", message.c_str()); }

// A one-line bar on standard error, drawn only on a terminal and only once the
// flight has taken a moment, so short runs and pipes stay clean.
class ProgressBar {
public:
    ProgressBar() : enabled_(::isatty(STDERR_FILENO) == 1), start_(std::chrono::steady_clock::now()) {}
    ~ProgressBar() { Clear(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void Update(double time_s, double done) {
        if (!enabled_) return;
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        if (wall < 0.5 || wall - last_ < 0.1) return;
        last_ = wall;
        const int width = 30;
        const int filled = static_cast<int>(done * width + 0.5);
        std::string bar(static_cast<std::size_t>(filled), '#');
        bar.resize(width, '.');
        std::fprintf(stderr, "\r  [%s] %3.0f%% of the script, t = %.0f s ", bar.c_str(), done * 100, time_s);
        std::fflush(stderr);
        shown_ = true;
    }
    // Before a line is printed on standard output, so the two do not mix.
    void Clear() {
        if (!shown_) return;
        std::fprintf(stderr, "\r%70s\r", "");
        std::fflush(stderr);
        shown_ = false;
    }

private:
    bool enabled_;
    bool shown_ = false;
    double last_ = 0;
    std::chrono::steady_clock::time_point start_;
};

bool WriteFile(const std::string& path, const std::string& what, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    if (!out) {
        Error("cannot write the " + what + " '" + path + "'");
        return false;
    }
    out << text;
    out.close();
    if (!out) {
        Error("cannot write the " + what + " '" + path + "'");
        return false;
    }
    return true;
}

// What the command line asked for.
struct FlyArguments {
    std::string script_path, csv_path, svg_path, trace_path;
    double csv_rate = 10;
    double time_limit = 4 * 3600;
    bool no_sound = false, quiet = false, print_builtin = false;
    std::string module_path;
};

// The whole script is checked before anything flies; nullopt after an error.
std::optional<fly::PilotScript> ReadScript(const std::string& path) {
    try {
        if (path.empty()) return fly::BuiltinFlight();
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            Error("cannot read the pilot script '" + path + "'");
            return std::nullopt;
        }
        std::stringstream text;
        text << in.rdbuf();
        return fly::ParsePilotScript(text.str(), path);
    } catch (const fly::ScriptError& e) {
        Error(e.what());
        return std::nullopt;
    }
}

// Flies with milestones on standard output unless quiet; returns nullopt
// (after saying why) when the module cannot be loaded or the flight fails.
std::optional<fly::FlightResult> FlyScript(const fly::PilotScript& script, const FlyArguments& args,
                                           std::FILE* trace) {
    ProgressBar progress;
    fly::FlyOptions options;
    options.module_path = args.module_path;
    options.sound = !args.no_sound;
    options.trace = trace;
    options.time_limit_s = args.time_limit;
    options.sample_rate_hz = args.csv_rate;
    options.watch_sound = !args.csv_path.empty() && options.sound;
    if (!args.quiet) {
        std::printf("Flying %s\n", script.source.c_str());
        options.on_milestone = [&progress](const fly::Milestone& m) {
            progress.Clear();
            std::printf("%s\n", fly::MilestoneLine(m).c_str());
            std::fflush(stdout);
        };
    }
    options.on_progress = [&progress](double t, double done) { progress.Update(t, done); };
    try {
        fly::FlightResult result = fly::Fly(script, options);
        progress.Clear();
        return result;
    } catch (const host::HostError& e) {
        progress.Clear();
        Error(e.what());
    } catch (const std::runtime_error& e) {
        progress.Clear();
        Error(e.what());
    }
    return std::nullopt;
}

// The summary on standard output, then the telemetry and the plot if asked for.
int WriteOutputs(const fly::FlightResult& result, const FlyArguments& args) {
    if (!args.quiet) std::printf("\n");
    std::ostringstream summary;
    fly::WriteSummary(summary, result);
    std::fputs(summary.str().c_str(), stdout);

    if (!args.csv_path.empty()) {
        std::ostringstream csv;
        fly::WriteCsv(csv, result.samples);
        if (!WriteFile(args.csv_path, "telemetry", csv.str())) return kExitFailed;
    }
    if (!args.svg_path.empty()) {
        std::ostringstream svg;
        fly::WriteSvg(svg, result);
        if (!WriteFile(args.svg_path, "plot", svg.str())) return kExitFailed;
    }
    return 0;
}

}  // namespace

int RunFlyCommand(int argc, char** argv) {
    CLI::App app("Fly the Vantorel with the stand-in host's flight model.", "vantorel-sim fly");
    FlyArguments args;
    app.add_option("SCRIPT", args.script_path, "pilot script (without it: the built-in demonstration flight)");
    app.add_option("--csv", args.csv_path, "write telemetry as CSV to FILE")->type_name("FILE");
    app.add_option("--csv-rate", args.csv_rate, "telemetry rows per simulated second (default 10)")->type_name("HZ");
    app.add_option("--svg", args.svg_path, "write a plot of the flight to FILE")->type_name("FILE");
    app.add_option("--trace", args.trace_path, "write the call trace as JSON Lines to FILE (as replay does)")
        ->type_name("FILE");
    app.add_option("--time-limit", args.time_limit, "stop after this many simulated seconds (default 14400)")
        ->type_name("S");
    app.add_flag("--quiet,-q", args.quiet, "no milestones as they happen, only the summary");
    app.add_flag("--print-builtin", args.print_builtin, "print the built-in flight's script and exit");
    app.add_flag("--no-sound", args.no_sound, "do not load the sound library");
    app.add_option("--module", args.module_path, "vessel module to load (default: the one built with the runner)")
        ->type_name("PATH");
    app.footer("Exit status: 0 flown, 1 the module cannot be loaded or an output cannot be written,\n"
               "2 a bad command line or pilot script. Formats: docs/flying.md.");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : kExitUsage;
    }
    if (args.print_builtin) {
        std::fputs(fly::BuiltinFlightText(), stdout);
        return 0;
    }
    if (!(args.csv_rate > 0) || args.csv_rate > 1000) {
        Error("--csv-rate must be above 0 and at most 1000 (rows per simulated second)");
        return kExitUsage;
    }
    if (!(args.time_limit > 0)) {
        Error("--time-limit must be above 0");
        return kExitUsage;
    }
    const std::optional<fly::PilotScript> script = ReadScript(args.script_path);
    if (!script) return kExitUsage;

    std::FILE* trace = nullptr;
    if (!args.trace_path.empty()) {
        trace = std::fopen(args.trace_path.c_str(), "wb");
        if (trace == nullptr) {
            Error("cannot write the trace '" + args.trace_path + "'");
            return kExitFailed;
        }
    }
    const std::optional<fly::FlightResult> result = FlyScript(*script, args, trace);
    if (trace != nullptr && std::fclose(trace) != 0 && result) {
        Error("cannot write the trace '" + args.trace_path + "'");
        return kExitFailed;
    }
    if (!result) return kExitFailed;
    return WriteOutputs(*result, args);
}

}  // namespace vantorel_sim
