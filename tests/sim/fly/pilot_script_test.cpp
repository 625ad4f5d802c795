#include <gtest/gtest.h>

#include <Orbitersdk.h>

#include <string>

#include "fly/flight.h"
#include "fly/pilot_script.h"

namespace {

using namespace vantorel_sim::fly;

struct BadScript {
    const char* text;
    int line;
    const char* says;
};

class PilotScriptErrors : public testing::TestWithParam<BadScript> {};

TEST_P(PilotScriptErrors, NameTheLineAndWhatIsWrong) {
    const BadScript& c = GetParam();
    try {
        ParsePilotScript(c.text, "test.fly");
        FAIL() << "accepted: " << c.text;
    } catch (const PilotScriptError& e) {
        EXPECT_EQ(e.line(), c.line) << e.what();
        EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        EXPECT_EQ(std::string(e.what()).rfind("test.fly:" + std::to_string(c.line) + ": ", 0), 0u) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, PilotScriptErrors,
    testing::Values(
        BadScript{"0 thrust 1\n", 1, "unknown command 'thrust'"},
        BadScript{"0 key G\n# fine\n5 throttle 1.5\n", 3, "out of range"},
        BadScript{"0 throttle 150%\n", 1, "out of range"},
        BadScript{"0 throttle\n", 1, "needs a value"},
        BadScript{"0 throttle full\n", 1, "'full' is not a number"},
        BadScript{"0 key X\n", 1, "not one of G, F, 0, J, K"},
        BadScript{"0 key\n", 1, "key needs"},
        BadScript{"0 key G F\n", 1, "unexpected 'F'"},
        BadScript{"10 key G\n5 key F\n", 2, "earlier than"},
        BadScript{"1:75 key G\n", 1, "below 60"},
        BadScript{"-3 key G\n", 1, "starts with a time"},
        BadScript{"abc key G\n", 1, "starts with a time"},
        BadScript{"1:2:3:4 key G\n", 1, "is not a time"},
        BadScript{"+x key G\n", 1, "is not a time"},
        // Too large for a double, written plainly or through the minutes.
        BadScript{"1e400 key G\n", 1, "'1e400' is not a time"},
        BadScript{"1e308:59 key G\n", 1, "'1e308:59' is not a time"},
        BadScript{"0 key G\n1e307:0:0 key F\n", 2, "'1e307:0:0' is not a time"},
        BadScript{"when altitude > 5 key G\n", 1, "unknown quantity 'altitude'"},
        BadScript{"when altitude_m = 5 key G\n", 1, "not a comparison"},
        BadScript{"when altitude_m > five key G\n", 1, "'five' is not a number"},
        BadScript{"when altitude_m > 5\n", 1, "no command after"},
        BadScript{"when altitude_m >\n", 1, "when needs"},
        BadScript{"when altitude_m > 5 nothing\n", 1, "unknown command 'nothing'"},
        BadScript{"0 hold yaw 5\n", 1, "unknown hold 'yaw'"},
        BadScript{"0 hold pitch\n", 1, "needs a value"},
        BadScript{"0 hold heading 400\n", 1, "out of range"},
        BadScript{"0 hold speed 0\n", 1, "out of range"},
        BadScript{"0 release\n", 1, "release needs"},
        BadScript{"0 view sideways\n", 1, "'cockpit' or 'outside'"},
        BadScript{"0 warp 0\n", 1, "out of range"},
        BadScript{"0 warp 1e999\n", 1, "not a number"},
        BadScript{"0 elevator nan\n", 1, "not a number"},
        BadScript{"0 brakes maybe\n", 1, "not a number"},
        BadScript{"0 key G\nstart heading 10\n", 2, "before the first timed command"},
        BadScript{"start heading 400\n0 key G\n", 1, "out of range"},
        BadScript{"start altitude 5\n0 key G\n", 1, "start needs"},
        BadScript{"0 end\n1 key G\n", 2, "after 'end'"},
        BadScript{"0 end now\n", 1, "unexpected 'now'"},
        BadScript{"0 note\n", 1, "note needs"},
        BadScript{"0 key G\n1 key\x01 F\n", 2, "control character"},
        BadScript{"# only comments\n\n", 2, "no timed command"},
        BadScript{"", 1, "no timed command"},
        BadScript{"5\n", 1, "no command after the trigger"}));

TEST(PilotScript, ReadsEveryTriggerAndCommand) {
    const PilotScript s = ParsePilotScript(
        "start heading 45   # comment\n"
        "start fuel 5000\n"
        "\n"
        "0      key g\n"
        "1:30   throttle 75%\n"
        "+2.5   elevator -0.25\n"
        "when altitude_m >= 1000 hold vs -5\n"
        "+0     release all\n"
        "2:00   brakes on\n"
        "2:00   view cockpit\n"
        "2:00   warp 10\n"
        "2:01   note over the field\n"
        "2:02   end\n",
        "s");
    EXPECT_EQ(s.start_heading_deg, 45);
    ASSERT_TRUE(s.start_fuel_kg);
    EXPECT_EQ(*s.start_fuel_kg, 5000);
    ASSERT_EQ(s.commands.size(), 10u);
    EXPECT_EQ(s.commands[0].kind, Command::Kind::key);
    EXPECT_EQ(s.commands[0].value, OAPI_KEY_G);
    EXPECT_EQ(s.commands[0].line, 4);
    EXPECT_EQ(s.commands[1].trigger.time_s, 90);
    EXPECT_EQ(s.commands[1].value, 0.75);
    EXPECT_EQ(s.commands[2].trigger.kind, Trigger::Kind::after);
    EXPECT_EQ(s.commands[2].trigger.time_s, 2.5);
    EXPECT_EQ(s.commands[2].value, -0.25);
    EXPECT_EQ(s.commands[3].trigger.kind, Trigger::Kind::when);
    EXPECT_EQ(s.commands[3].trigger.quantity, Quantity::altitude_m);
    EXPECT_EQ(s.commands[3].trigger.compare, Compare::greater_equal);
    EXPECT_EQ(s.commands[3].hold, Hold::vertical_speed);
    EXPECT_EQ(s.commands[3].value, -5);
    EXPECT_TRUE(s.commands[4].release_all);
    EXPECT_EQ(s.commands[5].value, 1.0);
    EXPECT_EQ(s.commands[6].value, 1.0);
    EXPECT_EQ(s.commands[7].value, 10.0);
    EXPECT_EQ(s.commands[8].note, "over the field");
    EXPECT_EQ(s.commands[9].kind, Command::Kind::end);
}

// The script's key letters are the host's key codes the vessel takes.
TEST(PilotScript, KeyLettersAreTheHostsKeyCodes) {
    struct Key {
        const char* letter;
        DWORD code;
    };
    for (const Key& k : {Key{"G", OAPI_KEY_G}, Key{"F", OAPI_KEY_F}, Key{"0", OAPI_KEY_0}, Key{"J", OAPI_KEY_J},
                         Key{"K", OAPI_KEY_K}}) {
        const PilotScript s = ParsePilotScript(std::string("0 key ") + k.letter + "\n", "keys");
        ASSERT_EQ(s.commands.size(), 1u);
        EXPECT_EQ(s.commands[0].value, static_cast<double>(k.code)) << k.letter;
        EXPECT_STREQ(KeyName(s.commands[0].value), k.letter);
    }
    EXPECT_STREQ(KeyName(0x1E), "?");  // A: not a key the vessel takes
}

TEST(PilotScript, TheBuiltInFlightIsAValidScript) {
    const PilotScript s = BuiltinFlight();
    EXPECT_GT(s.commands.size(), 20u);
    EXPECT_EQ(s.commands.back().kind, Command::Kind::end);
}

}  // namespace
