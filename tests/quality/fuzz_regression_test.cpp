// Every saved fuzz input, seeds and reproducers of faults once found, replayed
// through the same harness the fuzz targets run, in an ordinary build.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "harness.h"

namespace {

namespace fs = std::filesystem;

using Harness = std::string (*)(const std::uint8_t*, std::size_t);

std::vector<fs::path> SavedInputs(const std::string& target) {
    std::vector<fs::path> out;
    for (const char* kind : {"corpus", "regressions"}) {
        const fs::path dir = fs::path(VANTOREL_SOURCE_DIR) / "fuzz" / kind / target;
        if (!fs::is_directory(dir)) continue;
        for (const auto& e : fs::directory_iterator(dir))
            if (e.is_regular_file()) out.push_back(e.path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

void ReplayAll(const std::string& target, Harness run) {
    const std::vector<fs::path> inputs = SavedInputs(target);
    ASSERT_FALSE(inputs.empty()) << "no saved inputs for " << target;
    for (const fs::path& p : inputs) {
        std::ifstream in(p, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string fault = run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        EXPECT_EQ(fault, "") << p;
    }
}

TEST(FuzzRegressionTest, CoefficientInputs) { ReplayAll("coefficients", vantorel_fuzz::RunCoefficients); }

TEST(FuzzRegressionTest, ModuleInputs) { ReplayAll("module", vantorel_fuzz::RunModule); }

TEST(FuzzRegressionTest, ReplayScriptInputs) { ReplayAll("replay_script", vantorel_fuzz::RunReplayScript); }

TEST(FuzzRegressionTest, PilotScriptInputs) { ReplayAll("pilot_script", vantorel_fuzz::RunPilotScript); }

// The harness itself: a truncated or empty input is a complete, clean run.
TEST(FuzzRegressionTest, EmptyInputsRunClean) {
    EXPECT_EQ(vantorel_fuzz::RunCoefficients(nullptr, 0), "");
    EXPECT_EQ(vantorel_fuzz::RunModule(nullptr, 0), "");
    EXPECT_EQ(vantorel_fuzz::RunReplayScript(nullptr, 0), "");
}

}  // namespace
