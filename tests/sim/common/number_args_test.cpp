// Strict command-line numbers: decimal only, range-checked, with the option
// and the range in the message.
#include "common/number_args.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/exit_codes.h"

namespace {

using namespace vantorel_sim;

// The message of the CommandError that parsing throws, or "" if it did not.
template <class Parse>
std::string Refusal(Parse parse) {
    try {
        parse();
    } catch (const CommandError& e) {
        EXPECT_EQ(e.exit_code(), kExitBadInput);
        return e.what();
    }
    return "";
}

TEST(IntegerArg, AcceptsDecimalWithinRange) {
    const struct {
        const char* text;
        std::int64_t value;
    } cases[] = {{"0", 0}, {"100000", 100000}, {"+7", 7}, {"010", 10}, {"-0", 0}};
    for (const auto& c : cases) EXPECT_EQ(ParseIntegerArg(c.text, "--vessels", -5, 100000), c.value) << c.text;
}

TEST(IntegerArg, RefusesWithOptionAndRange) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"", "--vessels: expected a whole number from 0 to 100000, got an empty value"},
        {"0x10", "--vessels: expected a whole number from 0 to 100000, got '0x10'"},
        {"1.5", "--vessels: expected a whole number from 0 to 100000, got '1.5'"},
        {" 1", "--vessels: expected a whole number from 0 to 100000, got ' 1'"},
        {"1 ", "--vessels: expected a whole number from 0 to 100000, got '1 '"},
        {"+-1", "--vessels: expected a whole number from 0 to 100000, got '+-1'"},
        {"1e3", "--vessels: expected a whole number from 0 to 100000, got '1e3'"},
        {"\x1b[2J", "--vessels: expected a whole number from 0 to 100000, got '\\x1b[2J'"},
        {"100001", "--vessels: '100001' is out of range (from 0 to 100000)"},
        {"-1", "--vessels: '-1' is out of range (from 0 to 100000)"},
        {"18446744073709551616", "--vessels: '18446744073709551616' is out of range (from 0 to 100000)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Refusal([&] { ParseIntegerArg(c.text, "--vessels", 0, 100000); }), c.message) << c.text;
    }
}

TEST(DoubleArg, AcceptsDecimalAndInfinityOnlyWhenAllowed) {
    const DoubleRange limit{0, 1e9, true, false};
    const DoubleRange open{0, INFINITY, true, true};
    EXPECT_EQ(ParseDoubleArg("14400", "--time-limit", limit), 14400.0);
    EXPECT_EQ(ParseDoubleArg("0.25", "--time-limit", limit), 0.25);
    EXPECT_EQ(ParseDoubleArg("1e3", "--time-limit", limit), 1000.0);
    EXPECT_EQ(ParseDoubleArg("+2", "--time-limit", limit), 2.0);
    EXPECT_EQ(ParseDoubleArg("1e9", "--time-limit", limit), 1e9);
    EXPECT_TRUE(std::isinf(ParseDoubleArg("inf", "--time-limit", open)));
}

TEST(DoubleArg, RefusesNanInfinityOverflowAndRangeWithMessage) {
    const DoubleRange limit{0, 1e9, true, false};
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"", "--time-limit: expected a number above 0 and at most 1e+09, got an empty value"},
        {"nan", "--time-limit: expected a number above 0 and at most 1e+09, got 'nan'"},
        {"0x10", "--time-limit: expected a number above 0 and at most 1e+09, got '0x10'"},
        {"5s", "--time-limit: expected a number above 0 and at most 1e+09, got '5s'"},
        {"1e400", "--time-limit: '1e400' is out of range (above 0 and at most 1e+09)"},
        {"1e-400", "--time-limit: '1e-400' is out of range (above 0 and at most 1e+09)"},
        {"inf", "--time-limit: 'inf' is out of range (above 0 and at most 1e+09)"},
        {"0", "--time-limit: '0' is out of range (above 0 and at most 1e+09)"},
        {"1000000001", "--time-limit: '1000000001' is out of range (above 0 and at most 1e+09)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Refusal([&] { ParseDoubleArg(c.text, "--time-limit", limit); }), c.message) << c.text;
    }
}

TEST(DoubleArg, RangeWordingFollowsTheBounds) {
    EXPECT_EQ(DescribeRange(DoubleRange{0, 1000, false, false}), "from 0 to 1000");
    EXPECT_EQ(DescribeRange(DoubleRange{1, INFINITY, false, false}), "at least 1");
    EXPECT_EQ(DescribeRange(DoubleRange{-INFINITY, 2.5, false, false}), "at most 2.5");
    EXPECT_EQ(DescribeRange(std::int64_t{1}, INT64_MAX), "at least 1");
}

}  // namespace
