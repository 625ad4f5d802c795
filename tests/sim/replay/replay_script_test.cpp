// The script format: every key, special numbers, and every way a line can be
// unusable, in-process and through the command (exit 2, no trace).
#include <gtest/gtest.h>

#include <OrbiterAPI.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "replay/script.h"
#include "runtime/trace.h"
#include "replay_test_support.h"

namespace {

using vantorel_sim::replay::CheckScript;
using vantorel_sim::replay::ParseScriptText;
using vantorel_sim::replay::ReplayScript;
using vantorel_sim::replay::ReplayScriptError;

TEST(ReplayScript, ReadsEveryKeyWithItsLineNumber) {
    const ReplayScript s = ParseScriptText(
        "# a flight\n"
        "\n"
        "{\"airspeed\": 120.5, \"altitude\": 900, \"aoa\": 0.1, \"bank\": -0.2, \"ground\": true, \"thrust\": 0.75}\n"
        "  # indented comment\n"
        "{\"rudder\": -1, \"fuel\": 123.25, \"time_acc\": 100, \"internal\": true, \"heading\": 1.5}\n"
        "{\"heading\": null, \"keys\": [\"0\", \"F\", \"G\", \"J\", \"K\", {\"code\": 200, \"down\": false}]}\n"
        "{\"create\": 2, \"destroy\": 0, \"focus\": 1, \"load_vc\": 0, \"repeat\": 7}\n",
        "flight.jsonl");
    ASSERT_EQ(s.frames.size(), 4u);
    EXPECT_EQ(s.source, "flight.jsonl");

    const auto& a = s.frames[0];
    EXPECT_EQ(a.line, 3);
    EXPECT_EQ(a.airspeed, 120.5);
    EXPECT_EQ(a.altitude, 900.0);
    EXPECT_EQ(a.aoa, 0.1);
    EXPECT_EQ(a.bank, -0.2);
    EXPECT_EQ(a.ground, true);
    EXPECT_EQ(a.thrust, 0.75);
    EXPECT_FALSE(a.rudder || a.fuel || a.time_acc || a.internal || a.heading || a.focus || a.create);
    EXPECT_EQ(a.repeat, 1);

    const auto& b = s.frames[1];
    EXPECT_EQ(b.line, 5);
    EXPECT_EQ(b.rudder, -1.0);
    EXPECT_EQ(b.fuel, 123.25);
    EXPECT_EQ(b.time_acc, 100.0);
    EXPECT_EQ(b.internal, true);
    ASSERT_TRUE(b.heading.has_value());
    EXPECT_EQ(*b.heading, 1.5);

    const auto& c = s.frames[2];
    EXPECT_EQ(c.line, 6);
    ASSERT_TRUE(c.heading.has_value());
    EXPECT_FALSE(c.heading->has_value()) << "null heading means: no focus heading";
    const std::uint32_t codes[] = {OAPI_KEY_0, OAPI_KEY_F, OAPI_KEY_G, OAPI_KEY_J, OAPI_KEY_K, 200};
    ASSERT_EQ(c.keys.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(c.keys[i].code, codes[i]) << i;
        EXPECT_EQ(c.keys[i].down, i < 5) << i;
    }

    const auto& d = s.frames[3];
    EXPECT_EQ(d.line, 7);
    EXPECT_EQ(d.create, 2);
    EXPECT_EQ(d.destroy, 0);
    EXPECT_EQ(d.focus, 1);
    EXPECT_EQ(d.load_vc, 0);
    EXPECT_EQ(d.repeat, 7);
    EXPECT_EQ(s.frame_count(), 10);
}

TEST(ReplayScript, NumbersMayBeNanOrInfinite) {
    const ReplayScript s =
        ParseScriptText("{\"airspeed\": \"nan\", \"altitude\": \"inf\", \"aoa\": \"-inf\", \"bank\": -0.0}\n");
    ASSERT_EQ(s.frames.size(), 1u);
    EXPECT_TRUE(std::isnan(*s.frames[0].airspeed));
    EXPECT_EQ(*s.frames[0].altitude, INFINITY);
    EXPECT_EQ(*s.frames[0].aoa, -INFINITY);
    EXPECT_TRUE(std::signbit(*s.frames[0].bank));
}

TEST(ReplayScript, DoublesAreReadBitExactly) {
    const double values[] = {0.1, 1.0 / 3.0, 5e-324, 2.2250738585072014e-308, 1.7976931348623157e308,
                             440000.0, 0.00242, 123456789.12345679};
    std::string text;
    for (double v : values) text += "{\"fuel\": " + host::trace::format_double(v) + "}\n";
    const ReplayScript s = ParseScriptText(text);
    ASSERT_EQ(s.frames.size(), std::size(values));
    for (std::size_t i = 0; i < std::size(values); ++i) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(*s.frames[i].fuel), std::bit_cast<std::uint64_t>(values[i])) << i;
    }
}

TEST(ReplayScript, DeeplyNestedValuesAreRejectedWithoutRecursingIntoThem) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    try {
        ParseScriptText("{\"airspeed\": " + deep + "}\n");
        FAIL() << "accepted";
    } catch (const ReplayScriptError& e) {
        EXPECT_EQ(e.field(), "airspeed");
        EXPECT_NE(std::string(e.what()).find("got an array"), std::string::npos) << e.what();
    }
}

TEST(ReplayScript, EmptyAndCommentOnlyScriptsRunNoFrame) {
    EXPECT_EQ(ParseScriptText("").frame_count(), 0);
    EXPECT_EQ(ParseScriptText("# nothing\n\n   \n").frame_count(), 0);
}

struct BadLine {
    const char* text;  // placed on line 3 of a script
    const char* field;
    const char* message;
};

// Each bad line, the field it must be blamed on, and a piece of the message.
const BadLine kBadLines[] = {
    {"{\"airspeed\": 1", "", "not JSON"},
    {"airspeed: 1", "", "not JSON"},
    {"[1, 2]", "", "expected a JSON object, got an array"},
    {"42", "", "expected a JSON object, got a number"},
    {"{\"airspeeed\": 1}", "airspeeed", "unknown key"},
    {"{\"airspeed\": \"fast\"}", "airspeed", "expected a number"},
    {"{\"altitude\": true}", "altitude", "expected a number"},
    {"{\"aoa\": null}", "aoa", "expected a number"},
    {"{\"bank\": [1]}", "bank", "expected a number"},
    {"{\"thrust\": \"NaN\"}", "thrust", "expected a number"},
    {"{\"rudder\": {}}", "rudder", "expected a number"},
    {"{\"fuel\": \"-nan\"}", "fuel", "expected a number"},
    {"{\"time_acc\": \"10\"}", "time_acc", "expected a number"},
    {"{\"heading\": \"north\"}", "heading", "expected a number"},
    {"{\"ground\": 1}", "ground", "expected true or false"},
    {"{\"internal\": \"yes\"}", "internal", "expected true or false"},
    {"{\"keys\": \"G\"}", "keys", "expected an array"},
    {"{\"keys\": [\"g\"]}", "keys[0]", "unknown key name \"g\""},
    {"{\"keys\": [\"G\", \"X\"]}", "keys[1]", "unknown key name \"X\""},
    {"{\"keys\": [34]}", "keys[0]", "expected a key name or"},
    {"{\"keys\": [{\"code\": 34}]}", "keys[0].down", "missing"},
    {"{\"keys\": [{\"down\": true}]}", "keys[0].code", "missing"},
    {"{\"keys\": [{\"code\": -1, \"down\": true}]}", "keys[0].code", "must not be negative"},
    {"{\"keys\": [{\"code\": 1.5, \"down\": true}]}", "keys[0].code", "expected an integer"},
    {"{\"keys\": [{\"code\": 1, \"down\": 1}]}", "keys[0].down", "expected true or false"},
    {"{\"keys\": [{\"code\": 1, \"down\": true, \"shift\": true}]}", "keys[0].shift", "unknown key in a key event"},
    {"{\"repeat\": 0}", "repeat", "must be at least 1"},
    {"{\"repeat\": -3}", "repeat", "must be at least 1"},
    {"{\"repeat\": 2.5}", "repeat", "expected an integer"},
    {"{\"repeat\": 1e3}", "repeat", "expected an integer"},
    {"{\"repeat\": 18446744073709551615}", "repeat", "out of range"},
    {"{\"create\": -1}", "create", "must not be negative"},
    {"{\"create\": \"2\"}", "create", "expected an integer"},
    {"{\"destroy\": -1}", "destroy", "must not be negative"},
    {"{\"focus\": 0.0}", "focus", "expected an integer"},
    {"{\"load_vc\": 4294967296}", "load_vc", "out of range"},
    {"{\"fuel\": 1, \"fuel\": 2}", "fuel", "given twice"},
};

class BadScriptLine : public ::testing::TestWithParam<BadLine> {};

std::string ScriptWith(const char* bad) { return std::string("# header\n{\"airspeed\": 10}\n") + bad + "\n{}\n"; }

TEST_P(BadScriptLine, IsRejectedNamingLineAndField) {
    const BadLine& c = GetParam();
    try {
        ParseScriptText(ScriptWith(c.text), "bad.jsonl");
        FAIL() << "accepted: " << c.text;
    } catch (const ReplayScriptError& e) {
        EXPECT_EQ(e.line(), 3) << e.what();
        EXPECT_EQ(e.field(), c.field) << e.what();
        const std::string what = e.what();
        EXPECT_EQ(what.rfind("bad.jsonl:3: ", 0), 0u) << what;
        if (*c.field != '\0') {
            EXPECT_NE(what.find(std::string("field '") + c.field + "'"), std::string::npos) << what;
        }
        EXPECT_NE(what.find(c.message), std::string::npos) << what;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, BadScriptLine, ::testing::ValuesIn(kBadLines));

struct BadSequence {
    const char* name;
    int vessels;
    const char* script;
    int line;
    const char* field;
    const char* message;
};

// Errors that only show when following which vessels live.
const BadSequence kBadSequences[] = {
    {"destroy_unknown", 1, "{}\n{\"destroy\": 1}\n", 2, "destroy", "no vessel 1 exists"},
    {"destroy_twice", 2, "{\"destroy\": 1}\n{}\n{\"destroy\": 1}\n", 3, "destroy", "destroyed on line 1"},
    {"focus_unknown", 1, "{\"focus\": 3}\n", 1, "focus", "no vessel 3 exists"},
    {"focus_destroyed", 2, "{\"destroy\": 0}\n{\"focus\": 0}\n", 2, "focus", "destroyed on line 1"},
    {"focus_destroyed_same_line", 2, "{\"destroy\": 1, \"focus\": 1}\n", 1, "focus", "destroyed on line 1"},
    {"load_vc_dead_focus", 2, "{\"destroy\": 0}\n{\"load_vc\": 0}\n", 2, "load_vc", "focus vessel is not alive"},
    {"load_vc_no_vessel", 0, "{\"load_vc\": 0}\n", 1, "load_vc", "focus vessel is not alive"},
    {"too_many_vessels", 1, "{\"create\": 99999}\n{\"create\": 1}\n", 2, "create", "more than 100000 vessels"},
};

class BadVesselSequence : public ::testing::TestWithParam<BadSequence> {};

TEST_P(BadVesselSequence, IsRejectedBeforeAnythingRuns) {
    const BadSequence& c = GetParam();
    const ReplayScript s = ParseScriptText(c.script, "seq.jsonl");
    try {
        CheckScript(s, c.vessels);
        FAIL() << "accepted";
    } catch (const ReplayScriptError& e) {
        EXPECT_EQ(e.line(), c.line) << e.what();
        EXPECT_EQ(e.field(), c.field) << e.what();
        EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Table, BadVesselSequence, ::testing::ValuesIn(kBadSequences),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReplayScript, VesselSequencesThatFollowTheRulesPass) {
    // Created vessels take the next indices; focus may move to one created on
    // the same line; indices are never reused.
    EXPECT_NO_THROW(CheckScript(ParseScriptText("{\"create\": 2, \"focus\": 2, \"load_vc\": 0}\n"
                                                "{\"destroy\": 0}\n{\"destroy\": 2, \"focus\": 1}\n"
                                                "{\"create\": 1, \"destroy\": 3}\n"),
                                2));
    EXPECT_NO_THROW(CheckScript(ParseScriptText("{\"create\": 0}\n"), 0));
}

// --- Through the command ------------------------------------------------------

using replay_test::RunCommand;

TEST_P(BadScriptLine, CommandExitsTwoAndWritesNoTrace) {
    const BadLine& c = GetParam();
    std::filesystem::remove("bad-trace.jsonl");
    std::ofstream("bad.jsonl") << ScriptWith(c.text);
    const auto r = RunCommand("bad.jsonl --trace bad-trace.jsonl");
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_NE(r.err.find("bad.jsonl:3: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists("bad-trace.jsonl")) << "a failed script must write no trace";
}

TEST(ReplayCommand, VesselErrorExitsTwoAndWritesNoTraceEvenOnStdout) {
    std::ofstream("late.jsonl") << "{}\n{}\n{\"destroy\": 5}\n";
    const auto r = RunCommand("late.jsonl --trace -");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "") << "the check comes before the first frame";
    EXPECT_NE(r.err.find("late.jsonl:3: field 'destroy': no vessel 5 exists"), std::string::npos) << r.err;
}

}  // namespace
