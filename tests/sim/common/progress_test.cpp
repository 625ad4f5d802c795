// Progress lines: when they appear, how often, and what they look like on
// a terminal and in a log. The clock is driven by the test.
#include "common/progress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using vantorel_sim::Progress;

// What a Progress wrote, read back from a temporary file.
class Captured {
public:
    Captured() : file_(std::tmpfile()) {}
    ~Captured() { std::fclose(file_); }
    std::FILE* file() const { return file_; }
    std::string Text() const {
        std::fflush(file_);
        std::string text;
        std::rewind(file_);
        for (int c; (c = std::fgetc(file_)) != EOF;) text += static_cast<char>(c);
        std::fseek(file_, 0, SEEK_END);
        return text;
    }

private:
    std::FILE* file_;
};

Progress::Settings Fake(const Captured& out, bool terminal, const double* now_s) {
    Progress::Settings settings;
    settings.stream = out.file();
    settings.terminal = terminal;
    settings.clock_s = [now_s] { return *now_s; };
    return settings;
}

// Drives a Progress through clock readings; returns the text written after
// each one (empty: nothing drawn).
std::vector<std::string> Drive(bool terminal, const std::vector<double>& times_s) {
    Captured out;
    double now_s = 0;
    std::vector<std::string> drawn;
    Progress progress("vantorel-sim fly", Fake(out, terminal, &now_s));
    std::size_t seen = 0;
    for (double t : times_s) {
        now_s = t;
        progress.Update(t / 20, [&] { return "t = " + std::to_string(static_cast<int>(t)) + " s"; });
        const std::string text = out.Text();
        drawn.push_back(text.substr(seen));
        seen = text.size();
    }
    return drawn;
}

TEST(Progress, TerminalBarWaitsHalfASecondThenRedrawsAtMostTenTimesASecond) {
    const auto drawn = Drive(true, {0.1, 0.49, 0.5, 0.55, 0.59, 0.61, 10.0});
    const std::vector<bool> expected = {false, false, true, false, false, true, true};
    for (std::size_t i = 0; i < drawn.size(); ++i) EXPECT_EQ(!drawn[i].empty(), expected[i]) << i;
    EXPECT_EQ(drawn[6], "\r  [###############...............]  50% t = 10 s");
}

TEST(Progress, LogGetsAPlainLineEveryFiveSecondsAndShortRunsNothing) {
    const auto drawn = Drive(false, {0.6, 4.9, 5.0, 7.0, 9.9, 10.0, 16.0});
    const std::vector<std::string> expected = {
        "", "", "vantorel-sim fly:  25%, t = 5 s\n", "", "", "vantorel-sim fly:  50%, t = 10 s\n",
        "vantorel-sim fly:  80%, t = 16 s\n"};
    EXPECT_EQ(drawn, expected);
}

TEST(Progress, DetailIsBuiltOnlyWhenALineIsDue) {
    Captured out;
    double now_s = 0;
    int built = 0;
    Progress progress("p", Fake(out, false, &now_s));
    for (int frame = 0; frame < 1200; ++frame) {
        now_s = frame * 0.01;  // 12 s of frames: lines after 5 s and 10 s
        progress.Update(-1, [&] { return "frame " + std::to_string(++built); });
    }
    EXPECT_EQ(built, 2);
    EXPECT_EQ(out.Text(), "p: frame 1\np: frame 2\n") << "an unknown fraction prints no percentage";
}

TEST(Progress, ClearErasesTheBarAndTheDetailCannotDriveTheTerminal) {
    Captured out;
    double now_s = 1;
    {
        Progress progress("p", Fake(out, true, &now_s));
        progress.Clear();
        EXPECT_EQ(out.Text(), "") << "nothing drawn, nothing to clear";
        now_s = 2;
        progress.Update(-1, [] { return std::string("\x1b[2J"); });
        EXPECT_EQ(out.Text(), "\r  \\x1b[2J");
        progress.Clear();
        EXPECT_EQ(out.Text(), "\r  \\x1b[2J\r" + std::string(9, ' ') + "\r");
        now_s = 3;
        progress.Update(-1, [] { return std::string("x"); });
    }
    EXPECT_EQ(out.Text(), "\r  \\x1b[2J\r" + std::string(9, ' ') + "\r\r  x\r   \r") << "the destructor clears";
}

}  // namespace
