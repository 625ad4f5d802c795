#include "fly/fly_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstring>
#include <optional>
#include <sstream>

#include "common/exit_codes.h"
#include "common/input_text.h"
#include "common/number_args.h"
#include "common/output_file.h"
#include "common/output_plan.h"
#include "common/progress.h"
#include "common/standard_output.h"
#include "common/text_escape.h"
#include "common/library_paths.h"
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

// The outputs, opened before the first frame and committed after the last.
struct Outputs {
    std::optional<OutputFile> trace, csv, svg, html;
    fly::SampleThinning plot{kMaxPlotSamples};
    fly::TrackRecorder track{kMaxTrackRows};
    std::vector<std::uint8_t> glb;  // the page's aircraft
    // Milestones and the summary: on standard error when a file goes to
    // standard output, so the two never mix.
    std::FILE* text = stdout;
};

// Flies with milestones on standard output unless quiet. Throws CommandError.
fly::FlightResult FlyScript(const fly::PilotScript& script, const FlyArguments& args, double csv_rate,
                            double time_limit_s, Outputs& out) {
    Progress progress("vantorel-sim fly");
    fly::FlyOptions options;
    options.module_path = args.module_path;
    options.sound = !args.no_sound;
    options.trace = out.trace ? out.trace->file() : nullptr;
    options.time_limit_s = time_limit_s;
    options.sample_rate_hz = csv_rate;
    options.watch_sound = out.csv.has_value() && options.sound;
    options.keep_samples = false;
    options.on_sample = [&out](const fly::Sample& s) {
        if (out.csv) out.csv->Write(fly::CsvRow(s));
        if (out.svg) out.plot.Add(s);
        if (out.html) out.track.Add(s);
    };
    if (!args.quiet) {
        std::fprintf(out.text, "Flying %s\n", MessageSafe(script.source).c_str());
        options.on_milestone = [&progress, &out](const fly::Milestone& m) {
            progress.Clear();
            std::fprintf(out.text, "%s\n", fly::MilestoneLine(m).c_str());
            std::fflush(out.text);
        };
    }
    options.on_progress = [&](double t, double) {
        if (out.trace && host::trace::sink_error() != 0) throw CommandError(kExitOutputFailed, TraceError(args.trace_path));
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

// The summary on standard output, then every file committed.
void FinishOutputs(fly::FlightResult& result, const FlyArguments& args, Outputs& out) {
    if (out.trace) {
        if (const std::string error = TraceError(args.trace_path); !error.empty()) {
            throw CommandError(kExitOutputFailed, error);
        }
        out.trace->Commit();
    }
    if (out.csv) out.csv->Commit();
    if (out.svg) {
        result.samples = out.plot.Take();
        std::ostringstream svg;
        fly::WriteSvg(svg, result);
        out.svg->Write(svg.str());
        out.svg->Commit();
    }
    std::ostringstream summary;
    fly::WriteSummary(summary, result);
    if (out.html) {
        fly::FlightPageContent page{std::move(out.glb), out.track.Take(), result.milestones, summary.str(),
                                    result.summary.source};
        out.html->Write(fly::FlightPageHtml(page));
        out.html->Commit();
    }
    if (!args.quiet) std::fputs("\n", out.text);
    std::fputs(summary.str().c_str(), out.text);
}

// The exterior as glTF, made before the flight: the host has one runtime at a time.
std::vector<std::uint8_t> ExteriorGlb(const FlyArguments& args) {
    if (!fly::FlightPageAvailable())
        throw CommandError(kExitBadInput, "--html: this vantorel-sim was built without node and npm, so without "
                                          "the flight page (scripts/install-deps.sh installs them)");
    try {
        SceneOptions options;
        options.module_path = args.module_path;
        if (!args.no_sound) options.sound_library_path = DefaultSoundLibraryPath();
        VesselScene scene(options);
        return ExportGlb(scene, MeshChoice::exterior);
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

    OutputPlan plan;
    plan.AddInput("the pilot script", args.script_path);
    plan.AddInput("the module", args.module_path.empty() ? DefaultModulePath() : args.module_path);
    if (!args.no_sound) plan.AddInput("the sound library", DefaultSoundLibraryPath());
    plan.AddOutput("the trace", args.trace_path);
    plan.AddOutput("the telemetry", args.csv_path);
    plan.AddOutput("the plot", args.svg_path);
    plan.AddOutput("the page", args.html_path);
    plan.Check();

    const fly::PilotScript script = ReadScript(args.script_path);
    Outputs out;
    if (args.trace_path == "-" || args.csv_path == "-" || args.svg_path == "-" || args.html_path == "-") {
        out.text = stderr;
    }
    if (!args.html_path.empty()) out.glb = ExteriorGlb(args);
    if (!args.trace_path.empty()) out.trace.emplace(args.trace_path, "the trace");
    if (!args.csv_path.empty()) {
        out.csv.emplace(args.csv_path, "the telemetry");
        out.csv->Write(fly::CsvHeader());
    }
    if (!args.svg_path.empty()) out.svg.emplace(args.svg_path, "the plot");
    if (!args.html_path.empty()) out.html.emplace(args.html_path, "the page");
    fly::FlightResult result = FlyScript(script, args, csv_rate, time_limit_s, out);
    FinishOutputs(result, args, out);
    return kExitSuccess;
}

}  // namespace

int RunFlyCommand(int argc, char** argv) {
    CLI::App app("Fly the Vantorel with the stand-in host's flight model.", "vantorel-sim fly");
    FlyArguments args;
    app.add_option("SCRIPT", args.script_path,
                   "pilot script ('-': standard input; without it: the built-in demonstration flight)");
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
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return FinishStandardOutput("fly", app.exit(e));
    } catch (const CLI::ParseError& e) {
        Error(std::string(e.what()) + " (--help lists the options)");
        return kExitBadInput;
    }
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
