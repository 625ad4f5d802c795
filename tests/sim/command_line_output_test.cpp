// vantorel-sim's outputs under hostile conditions: an output that is an
// input, a folder that does not exist, a full disk, a closed standard
// output. Each case checks the status, the message and what is on disk.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "command_line_support.h"
#include "common/text_escape.h"

namespace {

using namespace command_line_test;
namespace fs = std::filesystem;

const std::string kReplayScript = "{\"keys\": [\"G\"]}\n{\"repeat\": 3}\n";
const std::string kPilotScript = "0 key K\n0.5 note x\n1 end\n";
const std::string kOldOutput = "an earlier output\n";

struct OutputCase {
    const char* name;
    const char* args;
    int status;
    std::vector<const char*> message;  // pieces of standard error
    const char* stdout_to = "";        // e.g. "/dev/full"
    const char* stdin_from = "";       // a file in the folder
};

// Folder contents: s.jsonl (replay script), g.fly (pilot script), old.out
// (an earlier output), link.jsonl (a hard link to s.jsonl), m.so (a copy of
// the module), dangling (a symbolic link to new.csv, which does not exist).
const OutputCase kOutputCases[] = {
    // An output that is an input or another output: refused before anything is written.
    {"trace_is_script", "replay s.jsonl --trace ./s.jsonl", 2, {"the trace './s.jsonl' is the same file as the script"}},
    {"trace_is_hard_link_to_script", "replay s.jsonl --trace link.jsonl", 2, {"is the same file as the script"}},
    {"trace_is_module", "replay s.jsonl --module m.so --trace m.so", 2, {"the same file as the module 'm.so'"}},
    {"trace_is_sound_library", "replay s.jsonl --sound-library m.so --trace m.so", 2, {"the sound library"}},
    {"csv_is_pilot_script", "fly g.fly --csv g.fly", 2, {"the telemetry 'g.fly' is the same file as the pilot script"}},
    {"svg_is_csv", "fly g.fly --csv old.out --svg ./old.out", 2, {"the plot './old.out' is the same file as the telemetry"}},
    {"csv_is_trace", "fly g.fly --trace old.out --csv old.out", 2, {"is the same file as the trace"}},
    {"html_is_svg", "fly g.fly --svg old.out --html old.out", 2, {"the page 'old.out' is the same file as the plot"}},
    {"html_is_module", "fly g.fly --module m.so --html m.so", 2, {"the page 'm.so' is the same file as the module"}},
    {"two_outputs_to_stdout", "fly g.fly --trace - --csv -", 2, {"standard output"}},
    // The same file by another name: standard input, /proc/self/fd, a link to a file not there yet.
    {"trace_is_dev_stdin", "replay - --trace /dev/stdin", 2,
     {"the trace '/dev/stdin' is the same file as the script (standard input)"}, "", "s.jsonl"},
    {"trace_is_proc_fd_0", "replay - --trace /proc/self/fd/0", 2, {"is the same file as the script"}, "", "s.jsonl"},
    {"csv_is_stdin_by_hard_link", "fly - --csv link.jsonl", 2, {"the telemetry 'link.jsonl'"}, "", "s.jsonl"},
    {"svg_through_link_to_csv", "fly g.fly --csv new.csv --svg dangling", 2,
     {"the plot 'dangling' is the same file as the telemetry 'new.csv'"}},
    {"dev_stdout_and_dash", "fly g.fly --trace /dev/stdout --csv -", 2, {"would both write to standard output"}},
    // Paths checked before the first frame.
    {"replay_trace_in_missing_folder", "replay s.jsonl --trace nodir/t.jsonl", 3,
     {"cannot write the trace 'nodir/t.jsonl': folder 'nodir' does not exist"}},
    {"fly_csv_in_missing_folder", "fly g.fly --trace t.jsonl --csv nodir/x.csv --svg ok.svg", 3,
     {"cannot write the telemetry 'nodir/x.csv'"}},
    {"fly_svg_is_a_directory", "fly g.fly --svg d", 3, {"the plot 'd' is a directory"}},
    {"fly_html_in_missing_folder", "fly g.fly --csv c.csv --html nodir/f.html", 3, {"cannot write the page 'nodir/f.html'"}},
    // Failures on the way: no partial file, an earlier file untouched.
    {"replay_module_not_loadable", "replay s.jsonl --module s.jsonl.none --trace old.out", 1, {"cannot load module"}},
    {"replay_no_ovcinit", "replay s.jsonl --module " VANTOREL_BUILD_DIR "/lib/OrbiterSound.dll --trace old.out", 1,
     {"exports no ovcInit"}},
    {"fly_module_not_loadable", "fly g.fly --module none.so --trace old.out --csv c.csv --svg p.svg", 1, {"none.so"}},
    {"fly_html_module_not_loadable", "fly g.fly --module none.so --html old.out", 1, {"the page's aircraft", "none.so"}},
    {"fly_html_full_disk", "fly g.fly -q --html /dev/full", 3, {"cannot write the page '/dev/full'"}},
    {"replay_trace_full_disk", "replay s.jsonl --trace /dev/full", 3,
     {"vantorel-sim replay: cannot write the trace '/dev/full': No space left on device"}},
    {"fly_trace_full_disk", "fly g.fly -q --trace /dev/full", 3,
     {"vantorel-sim fly: cannot write the trace '/dev/full': No space left on device"}},
    {"fly_csv_full_disk", "fly g.fly -q --csv /dev/full --svg p.svg", 3, {"cannot write the telemetry '/dev/full'"}},
    // One output fails: none replaces its file, the earlier ones neither.
    {"second_output_fails", "fly g.fly -q --csv old.out --trace t.jsonl --svg /dev/full", 3,
     {"cannot write the plot '/dev/full': No space left on device"}},
    {"summary_fails", "fly g.fly -q --csv old.out", 3, {"cannot write to standard output: No space"}, "/dev/full"},
    // Standard output that cannot be written.
    {"print_builtin_full", "fly --print-builtin", 3, {"vantorel-sim fly: cannot write to standard output: No space"},
     "/dev/full"},
    {"fly_summary_full", "fly g.fly -q", 3, {"cannot write to standard output: No space"}, "/dev/full"},
    {"replay_summary_full", "replay s.jsonl", 3, {"vantorel-sim replay: cannot write to standard output"}, "/dev/full"},
    {"replay_trace_stdout_full", "replay s.jsonl --trace -", 3, {"No space left on device"}, "/dev/full"},
    {"fly_trace_stdout_full", "fly g.fly --trace -", 3, {"No space left on device"}, "/dev/full"},
    {"fly_svg_stdout_full", "fly g.fly --svg -", 3, {"cannot write the plot '-': No space left on device"}, "/dev/full"},
    {"help_full", "--help", 3, {"vantorel-sim: cannot write to standard output: No space"}, "/dev/full"},
    {"replay_help_full", "replay --help", 3, {"vantorel-sim replay: cannot write to standard output"}, "/dev/full"},
};

class OutputSafety : public ::testing::TestWithParam<OutputCase> {};

TEST_P(OutputSafety, RefusesOrFailsWithoutLosingAFile) {
    const OutputCase& c = GetParam();
    if (!fs::exists("/dev/full") && (std::string(c.args).find("/dev/full") != std::string::npos || *c.stdout_to)) {
        GTEST_SKIP() << "no /dev/full on this machine";
    }
    ScratchDir dir;
    WriteFile(dir / "s.jsonl", kReplayScript);
    WriteFile(dir / "g.fly", kPilotScript);
    WriteFile(dir / "old.out", kOldOutput);
    fs::create_hard_link(dir / "s.jsonl", dir / "link.jsonl");
    fs::create_directory(dir / "d");
    fs::create_symlink("new.csv", dir.path() / "dangling");
    const std::string module = std::string(VANTOREL_BUILD_DIR) + "/lib/Vantorel.so";
    fs::copy_file(module, dir / "m.so");
    const std::string module_bytes = ReadFile(module);
    const std::vector<std::string> before = Entries(dir.path());

    const SimRun r = RunSim(dir, c.args, c.stdin_from, c.stdout_to);
    EXPECT_EQ(r.status, c.status) << r.err;
    for (const char* piece : c.message) EXPECT_NE(r.err.find(piece), std::string::npos) << piece << "\n" << r.err;
    std::size_t failures = 0;
    for (std::size_t at = r.err.find("vantorel-sim"); at != std::string::npos; at = r.err.find("vantorel-sim", at + 1)) {
        ++failures;
    }
    EXPECT_EQ(failures, 1u) << "one line for the one failure\n" << r.err;
    EXPECT_EQ(ReadFile(dir / "s.jsonl"), kReplayScript);
    EXPECT_EQ(ReadFile(dir / "g.fly"), kPilotScript);
    EXPECT_EQ(ReadFile(dir / "old.out"), kOldOutput) << "an earlier output is untouched";
    EXPECT_TRUE(ReadFile(dir / "m.so") == module_bytes) << "the module is untouched";
    EXPECT_EQ(Entries(dir.path()), before) << "no partial output, no temporary left";
}

INSTANTIATE_TEST_SUITE_P(Table, OutputSafety, ::testing::ValuesIn(kOutputCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLineOutput, DashIsStandardOutputForEveryFlyOutput) {
    ScratchDir dir;
    WriteFile(dir / "g.fly", kPilotScript);
    const SimRun csv = RunSim(dir, "fly g.fly --csv -");
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out.rfind("time_s,frame,", 0), 0u) << "only the CSV on standard output";
    EXPECT_NE(csv.err.find("Flight summary (g.fly)"), std::string::npos) << "the summary moves to standard error";
    const SimRun trace = RunSim(dir, "fly g.fly -q --trace -");
    ASSERT_EQ(trace.status, 0) << trace.err;
    EXPECT_EQ(trace.out.rfind("{\"frame\": 0", 0), 0u) << trace.out.substr(0, 80);
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"g.fly"}) << "no file named '-'";
}

TEST(CommandLineOutput, FilesAppearCompleteAndReplaceAnEarlierOne) {
    ScratchDir dir;
    WriteFile(dir / "g.fly", kPilotScript);
    WriteFile(dir / "c.csv", kOldOutput);
    const SimRun r = RunSim(dir, "fly g.fly -q --csv c.csv --svg p.svg --html f.html --trace t.jsonl");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string csv = ReadFile(dir / "c.csv");
    EXPECT_EQ(csv.rfind("time_s,frame,", 0), 0u);
    EXPECT_EQ(csv.back(), '\n');
    EXPECT_NE(ReadFile(dir / "p.svg").find("</svg>"), std::string::npos);
    EXPECT_NE(ReadFile(dir / "f.html").find("</html>"), std::string::npos);
    // No sound log from the page's aircraft either.
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"c.csv", "f.html", "g.fly", "p.svg", "t.jsonl"}));
}

// An output naming standard output goes there as '-': a file opened for
// appending keeps what it held.
TEST(CommandLineOutput, AnOutputNamingStandardOutputIsWrittenThere) {
    ScratchDir dir;
    WriteFile(dir / "s.jsonl", kReplayScript);
    WriteFile(dir / "log", kOldOutput);
    const SimRun r = RunSim(dir, "replay s.jsonl --trace /dev/stdout", "", ">log");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string log = ReadFile(dir / "log");
    EXPECT_EQ(log.rfind(kOldOutput, 0), 0u) << "the earlier content stays";
    EXPECT_NE(log.find("\"call\": \"InitLib\""), std::string::npos) << log.substr(0, 200);
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"log", "s.jsonl"}));
}

TEST(CommandLineOutput, NamesUpToTheFileSystemLimitWork) {
    ScratchDir dir;
    WriteFile(dir / "g.fly", kPilotScript);
    for (std::size_t length : {244u, 255u}) {
        const std::string name = std::string(length - 4, 'n') + ".csv";
        const SimRun r = RunSim(dir, "fly g.fly -q --csv " + name);
        EXPECT_EQ(r.status, 0) << length << ": " << r.err;
        EXPECT_EQ(ReadFile(dir / name).rfind("time_s,frame,", 0), 0u) << length;
        fs::remove(dir / name);
    }
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"g.fly"});
}

// Ended by a signal mid-flight: the run ends by that signal (status 128 + N
// through timeout), no temporary stays and the earlier file is untouched.
TEST(CommandLineOutput, SignalsLeaveNoTemporaryAndEndTheRunByThatSignal) {
    for (const auto& [name, number] : {std::pair{"INT", 2}, std::pair{"TERM", 15}, std::pair{"HUP", 1}}) {
        ScratchDir dir;
        WriteFile(dir / "g.fly", "0 key G\n999999 end\n");
        WriteFile(dir / "old.out", kOldOutput);
        const SimRun r = RunShell(dir, std::string("timeout --preserve-status -s ") + name + " 0.5 " + Sim() +
                                           " fly g.fly -q --time-limit 1000000 --csv old.out --svg p.svg");
        EXPECT_EQ(r.status, 128 + number) << name << ": " << r.err;
        EXPECT_EQ(ReadFile(dir / "old.out"), kOldOutput) << name;
        EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"g.fly", "old.out"})) << name;
    }
}

// Invalid UTF-8 and control characters in a note or a file name must not
// make the plot unreadable.
TEST(CommandLineOutput, PlotStaysWellFormedWithInvalidUtf8) {
    ScratchDir dir;
    const std::string name = "bad\xff\x01name.fly";
    WriteFile(dir / name, "0 note caf\xe9 <b> & \xc3\n1 end\n");
    const SimRun r = RunSim(dir, "fly '" + name + "' --svg p.svg --csv c.csv");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string svg = ReadFile(dir / "p.svg");
    EXPECT_TRUE(vantorel_sim::IsValidUtf8(svg));
    EXPECT_NE(svg.find("caf\xEF\xBF\xBD &lt;b&gt; &amp;"), std::string::npos) << "replaced and escaped";
    EXPECT_EQ(svg.find('\x01'), std::string::npos);
    EXPECT_TRUE(vantorel_sim::IsValidUtf8(ReadFile(dir / "c.csv")));
    EXPECT_EQ(r.out.find('\x01'), std::string::npos) << "the file name is escaped on the terminal";
    EXPECT_NE(r.out.find("bad\\xff\\x01name.fly"), std::string::npos) << r.out.substr(0, 200);
}

// The runner's copies of the stand-in's variants: a trace excerpt of the
// module's path for a library without StopVesselWave3.
TEST(CommandLineOutput, ReplaysWithASoundLibraryVariant) {
    ScratchDir dir;
    WriteFile(dir / "s.jsonl", kReplayScript);
    const std::string variant = std::string(VANTOREL_BUILD_DIR) + "/lib/sound-variants/no_stop/OrbiterSound.dll";
    ASSERT_TRUE(fs::exists(variant)) << "installed beside the runner";
    const SimRun help = RunSim(dir, "replay --help");
    EXPECT_NE(help.out.find("sound-variants/no_stop/OrbiterSound.dll"), std::string::npos) << help.out;

    const SimRun r = RunSim(dir, "replay s.jsonl --trace - --sound-library '" + variant + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("{\"frame\": 0, \"vessel\": 0, \"call\": \"GetProcAddress\", \"args\": "
                         "[\"module:OrbiterSound.dll\", \"StopVesselWave3\"], \"result\": null}"),
              std::string::npos);
    EXPECT_EQ(r.out.find("\"call\": \"LoadVesselWaveOBSound3\""), std::string::npos)
        << "without the stop entry the module loads no sound";
    const SimRun full = RunSim(dir, "replay s.jsonl --trace -");
    EXPECT_NE(full.out.find("\"call\": \"LoadVesselWaveOBSound3\""), std::string::npos);
    // Found by its file name, as on Windows, though it has no soname.
    const SimRun no_soname =
        RunSim(dir, "replay s.jsonl --trace - --sound-library '" VANTOREL_BUILD_DIR "/lib/fixtures/no_soname/OrbiterSound.dll'");
    ASSERT_EQ(no_soname.status, 0) << no_soname.err;
    EXPECT_NE(no_soname.out.find("\"call\": \"GetModuleHandleA\", \"args\": [\"OrbiterSound.dll\"], \"result\": "
                                 "\"module:OrbiterSound.dll\""),
              std::string::npos);
    EXPECT_NE(no_soname.out.find("\"call\": \"LoadVesselWaveOBSound3\""), std::string::npos);
}

}  // namespace
