// `vantorel-sim replay` as a user runs it: options, exit statuses, standard
// input and output, and the summary printed without a trace.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "replay_test_support.h"

namespace {

namespace fs = std::filesystem;
using replay_test::json;
using replay_test::RunCommand;

const std::string kScenarios = std::string(VANTOREL_SOURCE_DIR) + "/tests/sim/scenarios/";

TEST(ReplayCommand, SummaryNamesFramesVesselsGearBeaconsAndFuel) {
    const auto r = RunCommand(kScenarios + "gear_retraction.jsonl");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    for (const char* piece : {"420 frames", "1 created, 1 living", "vessel 0", "touchdown:  gear-up",
                              "beacons:    off, off", "fuel:       20000 kg", "gear             1",
                              "bank_needle      0.5"}) {
        EXPECT_NE(r.out.find(piece), std::string::npos) << piece << "\n" << r.out;
    }
    for (char c : r.out) ASSERT_NE(c, '{') << "no trace without --trace\n" << r.out;
}

TEST(ReplayCommand, SummaryFollowsWhatTheScriptDid) {
    const auto r = RunCommand("- --vessels 3 --no-sound",
                              "{\"destroy\": 1, \"keys\": [\"K\"], \"fuel\": 1500}\n{\"repeat\": 2}\n");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* piece : {"<stdin>: 3 frames", "3 created, 2 living at the end (destroyed: 1)",
                              "sound library not loaded", "vessel 0", "vessel 2", "beacons:    on, on",
                              "fuel:       1500 kg", "touchdown:  gear-down"}) {
        EXPECT_NE(r.out.find(piece), std::string::npos) << piece << "\n" << r.out;
    }
    EXPECT_EQ(r.out.find("vessel 1\n"), std::string::npos) << r.out;
}

TEST(ReplayCommand, TraceToStandardOutputIsJsonLinesOnly) {
    const auto r = RunCommand("- --trace - --flight-model 0", "{\"repeat\": 2}\n");
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream in(r.out);
    std::string line;
    int states = 0, lines = 0;
    while (std::getline(in, line)) {
        ++lines;
        const json e = json::parse(line);  // throws on anything that is not one event
        ASSERT_TRUE(e.contains("frame") && e.contains("vessel")) << line;
        ASSERT_NE(e.contains("call"), e.contains("state")) << line;
        states += e.contains("state");
        if (e.value("call", "") == "GetFlightModel") {
            EXPECT_EQ(e["result"], 0);
        }
    }
    EXPECT_EQ(states, 2);
    EXPECT_GT(lines, 100);
}

TEST(ReplayCommand, TraceFileHoldsWhatStandardOutputWould) {
    std::ofstream("two.jsonl") << "{\"keys\": [\"G\"]}\n{}\n";
    const auto to_file = RunCommand("two.jsonl --trace two-trace.jsonl");
    const auto to_stdout = RunCommand("two.jsonl --trace -");
    ASSERT_EQ(to_file.status, 0) << to_file.err;
    EXPECT_EQ(to_file.out, "");
    EXPECT_EQ(replay_test::ReadFile("two-trace.jsonl"), to_stdout.out);
    fs::remove("two-trace.jsonl");
}

struct Usage {
    const char* args;
    int status;
    const char* message;  // in standard error
};

const Usage kUsage[] = {
    {"", 2, "SCRIPT is required"},
    {"missing.jsonl", 2, "cannot read the script 'missing.jsonl'"},
    {"- --vessels -1", 2, "--vessels: '-1' is out of range (from 0 to 100000)"},
    {"- --vessels two", 2, "--vessels"},
    {"- --frobnicate", 2, "--frobnicate"},
    {"- --module /nonexistent/Vantorel.so", 1, "cannot load module '/nonexistent/Vantorel.so'"},
    {"- --module /nonexistent/Vantorel.so --trace lost.jsonl", 1, "cannot load module"},
    {"- --module " VANTOREL_BUILD_DIR "/lib/OrbiterSound.dll", 1, "exports no ovcInit"},
};

class CommandUsage : public ::testing::TestWithParam<Usage> {};

TEST_P(CommandUsage, ExitsWithItsStatusAndSaysWhy) {
    const Usage& u = GetParam();
    const auto r = RunCommand(u.args, "{}\n");
    EXPECT_EQ(r.status, u.status) << r.err;
    EXPECT_NE(r.err.find(u.message), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists("lost.jsonl")) << "a run that loads nothing leaves no trace file";
}

INSTANTIATE_TEST_SUITE_P(Table, CommandUsage, ::testing::ValuesIn(kUsage));

TEST(ReplayCommand, HelpListsTheOptions) {
    const auto r = RunCommand("--help");
    EXPECT_EQ(r.status, 0);
    for (const char* o : {"--trace", "--vessels", "--flight-model", "--no-sound", "--module"}) {
        EXPECT_NE(r.out.find(o), std::string::npos) << o;
    }
}

TEST(ReplayCommand, NoSoundLeavesTheModulesLogInTheCurrentDirectory) {
    fs::create_directories("nosound-run");
    fs::remove("nosound-run/OrbiterSound_Log.txt");
    const std::string cmd = "cd nosound-run && '" + std::string(VANTOREL_BUILD_DIR) +
                            "/bin/vantorel-sim' replay - --no-sound </dev/null >/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_TRUE(fs::exists("nosound-run/OrbiterSound_Log.txt"));
    fs::remove_all("nosound-run");
}

}  // namespace
