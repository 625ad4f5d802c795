#include "fly/fly_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <sstream>
#include <vector>

#include "common/cli_values.h"
#include "common/exit_codes.h"
#include "common/input_text.h"
#include "common/library_paths.h"
#include "common/number_args.h"
#include "common/output_file.h"
#include "common/output_plan.h"
#include "common/progress.h"
#include "common/standard_output.h"
#include "common/text_escape.h"
#include "export/gltf_export.h"
#include "flightmodel/flight_model.h"
#include "fly/flight.h"
#include "fly/flight_page.h"
#include "fly/report.h"
#include "fly/sample_thinning.h"
#include "runtime/host_runtime.h"
#include "runtime/trace.h"

namespace vantorel_sim {

namespace {

// Simulated seconds a flight may last at most: about eleven and a half
// days, a quarter of an hour of work at full time acceleration.
constexpr double kMaxTimeLimitS = 1e6;
// Points the plot keeps at most; a longer flight is thinned evenly.
constexpr std::size_t kMaxPlotSamples = 20000;
// Rows the page keeps at most: an hour at 20 a second (about 4 MB of page).
constexpr std::size_t kMaxTrackRows = 72000;

void Error(const std::string& message) {
    std::fprintf(stderr, "vantorel-sim fly: %s\n", MessageSafe(message).c_str());
}

// What the command line asked for.
struct FlyArguments {
    std::string script_path, csv_path, svg_path, html_path, trace_path;
    std::string csv_rate_text = "10", time_limit_text = "14400";
    bool no_sound = false, quiet = false, print_builtin = false;
    std::string module_path;
};

// The whole script is read and checked before anything flies.
fly::PilotScript ReadScript(const std::string& path) {
    if (path.empty()) return fly::BuiltinFlight();
    const std::string text = ReadText(path, "the pilot script");
    try {
        return fly::ParsePilotScript(text, path == "-" ? "<stdin>" : path);
    } catch (const fly::PilotScriptError& e) {
        throw CommandError(kExitBadInput, e.what());
    }
}

std::string TraceError(const std::string& path) {
    const int err = host::trace::sink_error();
    return err == 0 ? std::string() : "cannot write the trace '" + path + "': " + std::strerror(err);
}

// The outputs, checked before the first frame and committed together after
// the last.
struct Outputs {
    OutputPlan plan;
    OutputPlan::Output trace = 0, csv = 0, svg = 0, html = 0;
    fly::SampleThinning plot{kMaxPlotSamples};
    fly::TrackRecorder track{kMaxTrackRows};
    std::vector<std::uint8_t> glb;  // the page's aircraft
    // Milestones and the summary: on standard error when a file goes to
    // standard output, so the two never mix.
    std::FILE* text = stdout;

    std::FILE* file(OutputPlan::Output output) const { return plan.file(output); }
    void Write(OutputPlan::Output output, std::string_view bytes) { plan.output_file(output)->Write(bytes); }
};

void Print(std::FILE* stream, const std::string& text) {
    std::fputs(text.c_str(), stream);
    NoteWriteResult(stream);
}

// The trace's sink failed; said once, also when the trace is standard output.
[[noreturn]] void FailTrace(const FlyArguments& args, Outputs& out) {
    if (out.plan.output_file(out.trace)->is_standard_output()) StandardOutputFailureReported();
    throw CommandError(kExitOutputFailed, TraceError(args.trace_path));
}

// Flies with milestones on standard output unless quiet. Throws CommandError.
fly::FlightResult FlyScript(const fly::PilotScript& script, const FlyArguments& args, double csv_rate,
                            double time_limit_s, Outputs& out) {
    Progress progress("vantorel-sim fly");
    fly::FlyOptions options;
    options.module_path = args.module_path;
    options.sound = !args.no_sound;
    options.trace = out.file(out.trace);
    options.time_limit_s = time_limit_s;
    options.sample_rate_hz = csv_rate;
    const bool csv = out.file(out.csv) != nullptr, svg = out.file(out.svg) != nullptr;
    const bool html = out.file(out.html) != nullptr;
    options.watch_sound = csv && options.sound;
    options.keep_samples = false;
    options.on_sample = [&out, csv, svg, html](const fly::Sample& s) {
        if (csv) out.Write(out.csv, fly::CsvRow(s));
        if (svg) out.plot.Add(s);
        if (html) out.track.Add(s);
    };
    if (!args.quiet) {
        Print(out.text, "Flying " + MessageSafe(script.source) + "\n");
        options.on_milestone = [&progress, &out](const fly::Milestone& m) {
            progress.Clear();
            Print(out.text, fly::MilestoneLine(m) + "\n");
            std::fflush(out.text);
            NoteWriteResult(out.text);
        };
    }
    options.on_progress = [&](double t, double) {
        if (options.trace != nullptr && host::trace::sink_error() != 0) FailTrace(args, out);
        progress.Update(t / time_limit_s, [t] { return "t = " + std::to_string(static_cast<long long>(t)) + " s"; });
    };
    try {
        fly::FlightResult result = fly::Fly(script, options);
        progress.Clear();
        return result;
    } catch (const host::HostError& e) {
        throw CommandError(kExitRunFailed, e.what());
    } catch (const CommandError&) {
        throw;
    } catch (const std::runtime_error& e) {
        throw CommandError(kExitRunFailed, e.what());
    }
}

// Every file finished, the summary printed, then all committed together.
void FinishOutputs(fly::FlightResult& result, const FlyArguments& args, Outputs& out) {
    if (out.file(out.trace) != nullptr && host::trace::sink_error() != 0) FailTrace(args, out);
    if (out.file(out.svg) != nullptr) {
        result.samples = out.plot.Take();
        std::ostringstream svg;
        fly::WriteSvg(svg, result);
        out.Write(out.svg, svg.str());
    }
    std::ostringstream summary;
    fly::WriteSummary(summary, result);
    if (out.file(out.html) != nullptr) {
        fly::FlightPageContent page{std::move(out.glb), out.track.Take(), result.milestones, summary.str(),
                                    result.summary.source};
        out.Write(out.html, fly::FlightPageHtml(page));
    }
    out.plan.Finish();
    if (!args.quiet) Print(out.text, "\n");
    Print(out.text, summary.str());
    out.plan.Commit();
}

// The page's aircraft as glTF, and the mesh files it was made from.
struct ExteriorPage {
    std::vector<std::uint8_t> glb;
    std::vector<std::string> meshes;
};

// The exterior as glTF, made before the flight: the host has one runtime at a time.
ExteriorPage ExteriorGlb(const FlyArguments& args) {
    if (!fly::FlightPageAvailable())
        throw CommandError(kExitBadInput, "--html: this vantorel-sim was built without node and npm, so without "
                                          "the flight page (scripts/install-deps.sh installs them)");
    try {
        SceneOptions options;
        options.module_path = args.module_path;
        if (!args.no_sound) options.sound_library_path = DefaultSoundLibraryPath();
        VesselScene scene(options);
        return {ExportGlb(scene, MeshChoice::exterior), scene.MeshFiles()};
    } catch (const std::runtime_error& e) {  // SceneError, MeshError
        throw CommandError(kExitRunFailed, std::string("the page's aircraft: ") + e.what());
    }
}

int FlyCommand(const FlyArguments& args) {
    const double csv_rate = ParseDoubleArg(args.csv_rate_text, "--csv-rate", {0, 1000, true, false});
    const double time_limit_s =
        ParseDoubleArg(args.time_limit_text, "--time-limit", {0, kMaxTimeLimitS, true, false});
    const double frame_rate_hz = host::flight::FlightModelOptions{}.frame_rate_hz;
    if (!args.csv_path.empty() && csv_rate > frame_rate_hz) {
        std::fprintf(stderr,
                     "vantorel-sim fly: --csv-rate %s: at most one row a frame, %g a simulated second at time "
                     "acceleration 1\n",
                     MessageSafe(args.csv_rate_text).c_str(), frame_rate_hz);
    }

    Outputs out;
    out.plan.AddInput("the pilot script", args.script_path);
    out.plan.AddInput("the module", args.module_path.empty() ? DefaultModulePath() : args.module_path);
    if (!args.no_sound) out.plan.AddInput("the sound library", DefaultSoundLibraryPath());
    out.trace = out.plan.AddOutput("the trace", args.trace_path);
    out.csv = out.plan.AddOutput("the telemetry", args.csv_path);
    out.svg = out.plan.AddOutput("the plot", args.svg_path);
    out.html = out.plan.AddOutput("the page", args.html_path);
    out.plan.Check();

    const fly::PilotScript script = ReadScript(args.script_path);
    if (out.plan.writes_standard_output()) out.text = stderr;
    if (!args.html_path.empty()) {
        ExteriorPage page = ExteriorGlb(args);
        out.glb = std::move(page.glb);
        for (const std::string& mesh : page.meshes) out.plan.AddInput("the mesh", mesh);
        out.plan.Check();
    }
    out.plan.Open();
    if (out.file(out.csv) != nullptr) out.Write(out.csv, fly::CsvHeader());
    fly::FlightResult result = FlyScript(script, args, csv_rate, time_limit_s, out);
    FinishOutputs(result, args, out);
    return kExitSuccess;
}

}  // namespace

int RunFlyCommand(int argc, char** argv) {
    CLI::App app("Fly the Vantorel with the stand-in host's flight model.", "vantorel-sim fly");
    FlyArguments args;
    app.add_option("SCRIPT", args.script_path,
                   "pilot script ('-': standard input; without it: the built-in demonstration flight)")
        ->type_name("FILE");
    app.add_option("--csv", args.csv_path, "write telemetry as CSV to FILE ('-': standard output)")->type_name("FILE");
    app.add_option("--csv-rate", args.csv_rate_text, "telemetry rows per simulated second, above 0 and at most 1000 "
                                                     "(default 10)")
        ->type_name("HZ");
    app.add_option("--svg", args.svg_path, "write a plot of the flight to FILE ('-': standard output)")
        ->type_name("FILE");
    app.add_option("--html", args.html_path,
                   "write the flight as one self-contained HTML page to FILE ('-': standard output): the "
                   "aircraft in 3D replaying the track (at most 20 rows a second of the --csv-rate rows), "
                   "a timeline with the milestones, the numbers and plots")
        ->type_name("FILE");
    app.add_option("--trace", args.trace_path,
                   "write the call trace as JSON Lines to FILE, as replay does ('-': standard output)")
        ->type_name("FILE");
    app.add_option("--time-limit", args.time_limit_text,
                   "stop after this many simulated seconds, at most 1000000 (default 14400)")
        ->type_name("S");
    app.add_flag("--quiet,-q", args.quiet, "no milestones as they happen, only the summary");
    app.add_flag("--print-builtin", args.print_builtin, "print the built-in flight's script and exit");
    app.add_flag("--no-sound", args.no_sound, "do not load the sound library");
    app.add_option("--module", args.module_path, "vessel module to load (default: the one built with the runner)")
        ->type_name("PATH");
    app.footer(std::string(kExitCodesText) + "Formats: docs/flying.md.");
    if (const auto status = ParseCommandLine(app, argc, argv, "fly")) return *status;
    if (args.print_builtin) {
        std::fputs(fly::BuiltinFlightText(), stdout);
        return FinishStandardOutput("fly", kExitSuccess);
    }
    int code = kExitSuccess;
    try {
        code = FlyCommand(args);
    } catch (const CommandError& e) {
        std::fflush(stdout);
        Error(e.what());
        code = e.exit_code();
    }
    return FinishStandardOutput("fly", code);
}

}  // namespace vantorel_sim
