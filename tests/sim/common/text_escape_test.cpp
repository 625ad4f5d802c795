// UTF-8 validation and the four escapers: what reaches a terminal, an SVG,
// a CSV and a JSON file when the text is hostile.
#include "common/text_escape.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace vantorel_sim;

struct Utf8Case {
    const char* name;
    std::string bytes;
    bool valid;
};

TEST(Utf8, AcceptsWellFormedAndRejectsOverlongSurrogateAndTooLarge) {
    const Utf8Case cases[] = {
        {"ascii", "plain", true},
        {"two bytes", "\xC3\xA9", true},
        {"three bytes", "\xE2\x82\xAC", true},
        {"four bytes, last code point", "\xF4\x8F\xBF\xBF", true},
        {"last before surrogates", "\xED\x9F\xBF", true},
        {"overlong slash", "\xC0\xAF", false},
        {"overlong C1", "\xC1\xBF", false},
        {"overlong three bytes", "\xE0\x80\xAF", false},
        {"overlong four bytes", "\xF0\x8F\xBF\xBF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false},
        {"lead F5", "\xF5\x80\x80\x80", false},
        {"stray continuation", "a\x80", false},
        {"cut short", "\xE2\x82", false},
        {"cut by ASCII", "\xE2\x82x", false},
        {"FF", "\xFF", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.name;
}

TEST(Utf8, ReplacesEachMaximalIllFormedSubpartOnce) {
    const std::string fffd = "\xEF\xBF\xBD";
    // E2 82 is one subpart (a cut-short euro sign); C0 and AF are two.
    EXPECT_EQ(ToValidUtf8("a\xE2\x82z"), "a" + fffd + "z");
    EXPECT_EQ(ToValidUtf8("\xC0\xAF"), fffd + fffd);
    EXPECT_EQ(ToValidUtf8("\xED\xA0\x80"), fffd + fffd + fffd);
    EXPECT_EQ(ToValidUtf8("\xF0\x9F\x98\x80"), "\xF0\x9F\x98\x80");
}

struct EscapeCase {
    std::string in;
    std::string out;
};

TEST(MessageSafe, NothingReachesTheTerminalThatActsOnIt) {
    const EscapeCase cases[] = {
        {"C:\\dir\\'x'", "C:\\dir\\'x'"},
        {"\x1b[2Jclear", "\\x1b[2Jclear"},
        {"G\r1", "G\\r1"},
        {"a\nb\tc", "a\\nb\\tc"},
        {std::string("nul\0x", 5), "nul\\x00x"},
        {"del\x7f", "del\\x7f"},
        {"csi\xC2\x9B", "csi\\u009b"},
        {"rtl\xE2\x80\xAEtxt", "rtl\\u202etxt"},
        {"bad\xFF\xC3", "bad\\xff\\xc3"},
        {"caf\xC3\xA9", "caf\xC3\xA9"},
    };
    for (const auto& c : cases) EXPECT_EQ(MessageSafe(c.in), c.out) << c.out;
}

TEST(XmlText, GivesWellFormedXmlForAnyBytes) {
    const std::string fffd = "\xEF\xBF\xBD";
    const EscapeCase cases[] = {
        {"a<b>&\"c'", "a&lt;b&gt;&amp;&quot;c&apos;"},
        {"bad\xFFz", "bad" + fffd + "z"},
        {"bell\x07 esc\x1b", "bell esc"},
        {"tab\tnl\n", "tab\tnl\n"},
        {"cr\r", "cr&#13;"},
        {"nonchar\xEF\xBF\xBF.", "nonchar."},
        {"\xF0\x9F\x9A\x80", "\xF0\x9F\x9A\x80"},
    };
    for (const auto& c : cases) EXPECT_EQ(XmlText(c.in), c.out) << c.out;
}

TEST(CsvField, QuotesOnlyWhatNeedsQuotes) {
    const EscapeCase cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\r", "\"cr\r\""},
        {"bad\xFF", "bad\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) EXPECT_EQ(CsvField(c.in), c.out) << c.out;
}

TEST(JsonString, EscapesControlsAndReplacesInvalidUtf8) {
    const EscapeCase cases[] = {
        {"plain", "\"plain\""},
        {"q\"b\\", "\"q\\\"b\\\\\""},
        {"\n\r\t\b\f", "\"\\n\\r\\t\\b\\f\""},
        {"\x1b[2J", "\"\\u001b[2J\""},
        {std::string("\0", 1), "\"\\u0000\""},
        {"bad\xC0\xAF", "\"bad\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"\xE2\x82\xAC", "\"\xE2\x82\xAC\""},
    };
    for (const auto& c : cases) EXPECT_EQ(JsonString(c.in), c.out) << c.out;
}

}  // namespace
