// vantorel-sim under hostile input: scripts and arguments that must end in a
// clear message and status 2, with the script untouched and nothing written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_line_support.h"

namespace {

using namespace command_line_test;

struct BadInput {
    const char* name;
    const char* job;          // "replay" or "fly"
    std::string script;       // written to the file "s" (empty: none)
    const char* args;         // after the job
    std::vector<const char*> message;  // every piece in standard error
};

const BadInput kBadInputs[] = {
    // Numbers the JSON reader cannot hold: any field, unknown ones too.
    {"overflow", "replay", "{}\n{\"airspeed\": 1e400}\n", "s",
     {"vantorel-sim replay: s:2: field 'airspeed': number out of range (write \"inf\")"}},
    {"overflow_negative", "replay", "{\"thrust\": -1e400}\n", "s", {"s:1: field 'thrust': number out of range (write \"-inf\")"}},
    {"overflow_unknown_key", "replay", "{\"zz\": 1e999}\n", "s", {"s:1: field 'zz': number out of range"}},
    {"overflow_in_key_event", "replay", "{\"keys\": [{\"code\": 1e400, \"down\": true}]}\n", "s",
     {"s:1: field 'keys': number out of range"}},
    {"repeat_beyond_64_bits", "replay", "{\"repeat\": 18446744073709551616}\n", "s",
     {"s:1: field 'repeat':", "out of range"}},
    {"repeated_code", "replay", "{\"keys\": [{\"code\": 1, \"code\": 2, \"down\": true}]}\n", "s",
     {"s:1: field 'keys': 'code' given twice"}},
    {"repeated_down", "replay", "{\"keys\": [{\"code\": 1, \"down\": true, \"down\": false}]}\n", "s",
     {"s:1: field 'keys': 'down' given twice"}},
    {"nul_byte", "replay", std::string("{}\n{\"a\0\": 1}\n", 13), "s", {"s:2:4:", "NUL"}},
    {"escape_sequence_key", "replay", "{\"\\u001b[2J\": 1}\n", "s", {"field '\\x1b[2J': unknown key"}},
    {"frames_beyond_limit", "replay", "{\"repeat\": 4}\n{\"repeat\": 3}\n", "s --max-frames 6",
     {"s:2: field 'repeat': the script would run more than 6 frames", "--max-frames"}},
    {"frames_default_limit", "replay", "{\"repeat\": 1000000000000}\n", "s", {"more than 10000000 frames"}},
    {"replay_directory", "replay", "", "d", {"the script 'd' is a directory"}},
    {"replay_device", "replay", "", "/dev/zero", {"the script '/dev/zero' is a device"}},
    {"replay_missing", "replay", "", "missing.jsonl", {"cannot read the script 'missing.jsonl': No such file"}},
    {"replay_parser_error", "replay", "{}\n", "s --frobnicate", {"vantorel-sim replay: ", "--frobnicate"}},
    {"vessels_empty", "replay", "{}\n", "s --vessels ''", {"--vessels", "empty"}},
    {"vessels_hex", "replay", "{}\n", "s --vessels 0x10", {"--vessels", "'0x10'"}},
    {"flight_model_beyond_32_bits", "replay", "{}\n", "s --flight-model 2147483648",
     {"--flight-model: '2147483648' is out of range (from -2147483648 to 2147483647)"}},
    {"flight_model_word", "replay", "{}\n", "s --flight-model realistic", {"--flight-model", "'realistic'"}},
    {"max_frames_zero", "replay", "{}\n", "s --max-frames 0", {"--max-frames"}},
    {"sound_library_and_no_sound", "replay", "{}\n", "s --no-sound --sound-library x.dll", {"exclude each other"}},
    // Pilot scripts.
    {"fly_directory", "fly", "", "d", {"vantorel-sim fly: the pilot script 'd' is a directory"}},
    {"fly_device", "fly", "", "/dev/zero", {"the pilot script '/dev/zero' is a device"}},
    {"fly_missing", "fly", "", "missing.fly", {"cannot read the pilot script 'missing.fly': No such file"}},
    {"fly_nul_byte", "fly", std::string("0 key G\n1 \0end\n", 15), "s", {"s:2:3:", "NUL"}},
    {"fly_cr_only_bad_key", "fly", "0 key G\r1 key X\r", "s", {"s:2: key 'X'"}},
    {"fly_parser_error", "fly", "", "--frobnicate", {"vantorel-sim fly: ", "--frobnicate"}},
    {"fly_time_limit_inf", "fly", "", "--time-limit inf", {"--time-limit", "'inf'"}},
    {"fly_time_limit_huge", "fly", "", "--time-limit 1e400", {"--time-limit", "out of range"}},
    {"fly_time_limit_above_max", "fly", "", "--time-limit 2e6", {"--time-limit", "out of range"}},
    {"fly_csv_rate_hex", "fly", "", "--csv-rate 0x10", {"--csv-rate", "'0x10'"}},
    {"fly_csv_rate_empty", "fly", "", "--csv-rate ''", {"--csv-rate", "empty"}},
};

class HostileInput : public ::testing::TestWithParam<BadInput> {};

TEST_P(HostileInput, StatusTwoWithWhatAndWhereAndNothingWritten) {
    const BadInput& b = GetParam();
    ScratchDir dir;
    std::filesystem::create_directory(dir / "d");
    if (!b.script.empty()) WriteFile(dir / "s", b.script);
    const std::vector<std::string> before = Entries(dir.path());
    const SimRun r = RunSim(dir, std::string(b.job) + " " + b.args);
    EXPECT_EQ(r.status, 2) << r.err;
    for (const char* piece : b.message) EXPECT_NE(r.err.find(piece), std::string::npos) << piece << "\n" << r.err;
    for (char c : r.err) ASSERT_NE(c, '\x1b') << "a raw escape reached the terminal";
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Entries(dir.path()), before) << "nothing written";
    if (!b.script.empty()) {
        EXPECT_EQ(ReadFile(dir / "s"), b.script) << "the script is untouched";
    }
}

INSTANTIATE_TEST_SUITE_P(Table, HostileInput, ::testing::ValuesIn(kBadInputs),
                         [](const auto& info) { return std::string(info.param.name); });

// Inputs that look odd but are fine.
struct GoodInput {
    const char* name;
    const char* job;
    std::string script;
    const char* args;
    const char* in_output;  // in standard output
};

const GoodInput kGoodInputs[] = {
    {"bom_before_comment", "replay", "\xEF\xBB\xBF# a comment\n{\"repeat\": 2}\n", "s", "2 frames"},
    {"cr_only_lines", "replay", "# a comment\r{}\r{}\r", "s", "2 frames"},
    {"bom_in_pilot_script", "fly", "\xEF\xBB\xBF# comment\n0 key G\n1 end\n", "s -q", "ended: 'end' on line 3"},
    {"cr_only_pilot_script", "fly", "0 key G\r1 end\r", "s -q", "ended: 'end' on line 2"},
    {"crlf_pilot_script", "fly", "0 key G\r\n1 end\r\n", "s -q", "ended: 'end' on line 2"},
    {"flight_model_0", "replay", "{}\n", "s --flight-model 0", "1 frame"},
    // Any level GetFlightModel may report replays; the module takes 1 and up as realistic.
    {"flight_model_2", "replay", "{}\n", "s --flight-model 2 --trace -", "\"GetFlightModel\", \"args\": [], \"result\": 2}"},
    {"flight_model_int_min", "replay", "{}\n", "s --flight-model -2147483648 --trace -", "\"result\": -2147483648}"},
    {"flight_model_int_max", "replay", "{}\n", "s --flight-model +2147483647 --trace -", "\"result\": 2147483647}"},
    {"frames_within_raised_limit", "replay", "{\"repeat\": 6}\n", "s --max-frames 6", "6 frames"},
    {"vessels_leading_zero_is_decimal", "replay", "{\"focus\": 9}\n", "s --vessels 010", "10 created"},
};

class OddButFine : public ::testing::TestWithParam<GoodInput> {};

TEST_P(OddButFine, Runs) {
    const GoodInput& g = GetParam();
    ScratchDir dir;
    WriteFile(dir / "s", g.script);
    const SimRun r = RunSim(dir, std::string(g.job) + " " + g.args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(g.in_output), std::string::npos) << g.in_output << "\n" << r.out;
}

INSTANTIATE_TEST_SUITE_P(Table, OddButFine, ::testing::ValuesIn(kGoodInputs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLine, DashReadsThePilotScriptFromStandardInput) {
    ScratchDir dir;
    WriteFile(dir / "s", "0 key G\n1 end\n");
    const SimRun r = RunSim(dir, "fly - -q", dir / "s");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Flight summary (<stdin>)"), std::string::npos) << r.out;
}

TEST(CommandLine, NegativeZeroKeepsItsSign) {
    ScratchDir dir;
    WriteFile(dir / "s", "{\"aoa\": -0}\n");
    const SimRun r = RunSim(dir, "replay s --trace -");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"call\": \"GetAOA\", \"args\": [], \"result\": -0.0}"), std::string::npos)
        << "GetAOA must return -0.0";
}

TEST(CommandLine, CsvRateAboveTheFrameRateIsSaidOnce) {
    ScratchDir dir;
    WriteFile(dir / "s", "0 key G\n1 end\n");
    const SimRun r = RunSim(dir, "fly s -q --csv-rate 100 --csv t.csv");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("--csv-rate 100: at most one row a frame"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("--csv-rate", r.err.find("--csv-rate") + 1), std::string::npos) << "once";
}

TEST(CommandLine, EveryHelpAndTheBareCommandShowTheExitStatusTable) {
    ScratchDir dir;
    for (const char* args : {"replay --help", "fly --help", "--help"}) {
        const SimRun r = RunSim(dir, args);
        EXPECT_EQ(r.status, 0) << args;
        EXPECT_NE(r.out.find("3  an output cannot be written"), std::string::npos) << args << "\n" << r.out;
    }
    const SimRun bare = RunSim(dir, "");
    EXPECT_EQ(bare.status, 2);
    EXPECT_NE(bare.err.find("usage:"), std::string::npos) << bare.err;
}

}  // namespace
