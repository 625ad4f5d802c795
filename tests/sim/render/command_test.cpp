// `vantorel-sim render` and `vantorel-sim check-assets` as a user runs them.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "asset_fixture.h"

namespace {

struct Outcome {
    int status;
    std::string out;
};

// ctest runs tests in parallel in one folder: each process writes its own output file.
Outcome Sim(const std::string& args) {
    const std::string out = "render-cmd-" + std::to_string(::getpid()) + ".out";
    const std::string cmd = std::string(VANTOREL_BUILD_DIR) + "/bin/vantorel-sim " + args + " > " + out + " 2>&1";
    const int raw = std::system(cmd.c_str());
    std::ifstream in(out);
    std::stringstream text;
    text << in.rdbuf();
    in.close();
    std::filesystem::remove(out);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, text.str()};
}

TEST(RenderCommand, WritesThePictureAndTheSheet) {
    std::filesystem::remove("one.png");
    std::filesystem::remove("sheet.png");
    const Outcome r = Sim("render --view top --state gear=1 --outline --flat --size 48x32 --out one.png --sheet sheet.png");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_GT(std::filesystem::file_size("one.png"), 0u);
    EXPECT_GT(std::filesystem::file_size("sheet.png"), std::filesystem::file_size("one.png"));
}

struct Usage {
    const char* args;
    int status;
    const char* says;
};

TEST(RenderCommand, RefusesWhatItCannotDo) {
    const Usage cases[] = {
        {"render", 2, "nothing to write"},
        {"render --out x.png --view back", 2, "--view must be front, side, top"},
        {"render --out x.png --mesh wing", 2, "--mesh must be exterior, cockpit or cockpit-lit"},
        {"render --out x.png --state gear", 2, "expected NAME=STATE"},
        {"render --out x.png --state gear=down", 2, "the state must be a number"},
        {"render --out x.png --size 10x10", 2, "--size must be WxH or N"},
        {"render --sheet x.png --size 8192x1537", 2, "12591104 pixels; a picture or sheet tile may have at most 12582912"},
        {"render --out x.png --assets no-such-dir", 1, "asset folder 'no-such-dir' does not exist"},
        {"render --out no/such/dir/x.png --size 32", 3, "cannot write --out 'no/such/dir/x.png'"},
        {"render --out same.png --sheet ./same.png", 2, "is the same file as"},
        {"check-assets no-such-dir", 1, "asset folder 'no-such-dir' does not exist"},
        {"check-assets --rule 8", 2, "--rule"},
        {"check-assets --module no-such.so", 1, "no-such.so"},
    };
    for (const auto& c : cases) {
        const Outcome r = Sim(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << "\n" << r.out;
    }
}

TEST(CheckCommand, GoodAssetsPassAndFindingsFail) {
    const std::string good = fixture::NewAssetFolder("command-good");
    fixture::Write(fixture::GoodAssets(), good);
    Outcome r = Sim("check-assets " + good);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("0 findings"), std::string::npos) << r.out;

    fixture::Assets broken = fixture::GoodAssets();
    broken.exterior.groups[2] = {};
    const std::string bad = fixture::NewAssetFolder("command-bad");
    fixture::Write(broken, bad);
    r = Sim("check-assets " + bad);
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("rule 1: mesh 0 group 2 (component 20, aileron_right): empty"), std::string::npos) << r.out;
    r = Sim("check-assets " + bad + " --rule 7");
    EXPECT_EQ(r.status, 0) << "only rule 7 asked for\n" << r.out;
}

}  // namespace
