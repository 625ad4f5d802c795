// A job that printed to a full disk or a broken standard output must not
// exit 0.
#include "common/standard_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "common/exit_codes.h"
#include "scratch_dir.h"

namespace {

using namespace vantorel_sim;
namespace fs = std::filesystem;

enum class Writer { kPrintf, kUnbufferedPrintf, kCout };

// Child side: standard output on target, one write, then the job's end.
[[noreturn]] void PrintThenFinish(const char* target, Writer writer, int exit_code) {
    if (std::freopen(target, "w", stdout) == nullptr) std::exit(10);
    if (writer == Writer::kUnbufferedPrintf) std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (writer == Writer::kCout) {
        std::cout << "Flying the built-in flight\n";
    } else {
        std::printf("Flying the built-in flight\n");
    }
    std::exit(FinishStandardOutput("fly", exit_code));
}

TEST(FinishStandardOutput, FailedWriteEndsWithCodeThreeAndTheReason) {
    if (!fs::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
    const std::string no_space = "vantorel-sim fly: cannot write to standard output: No space left on device";
    const struct {
        Writer writer;
        int exit_code;
        int expected;
        std::string message;
    } cases[] = {
        {Writer::kPrintf, kExitSuccess, kExitOutputFailed, no_space},
        {Writer::kCout, kExitSuccess, kExitOutputFailed, no_space},
        // The write failed at once; only the error flag is left to tell.
        {Writer::kUnbufferedPrintf, kExitSuccess, kExitOutputFailed,
         "vantorel-sim fly: cannot write to standard output: a write failed"},
        // The job had failed already: its code stands.
        {Writer::kPrintf, kExitBadInput, kExitBadInput, no_space},
    };
    for (const auto& c : cases) {
        EXPECT_EXIT(PrintThenFinish("/dev/full", c.writer, c.exit_code), testing::ExitedWithCode(c.expected),
                    c.message);
    }
}

TEST(FinishStandardOutput, WorkingOutputKeepsTheJobsCode) {
    test_support::ScratchDir dir;
    EXPECT_EXIT(PrintThenFinish((dir / "out").c_str(), Writer::kPrintf, kExitSuccess), testing::ExitedWithCode(0),
                "");
    EXPECT_EQ(test_support::ReadFile(dir / "out"), "Flying the built-in flight\n");
    EXPECT_EXIT(PrintThenFinish((dir / "out").c_str(), Writer::kCout, kExitRunFailed),
                testing::ExitedWithCode(kExitRunFailed), "");
}

TEST(StreamWriteError, NamesTheReasonAndLeavesTheStreamOpen) {
    std::FILE* ok = std::tmpfile();
    ASSERT_NE(ok, nullptr);
    std::fputs("summary\n", ok);
    EXPECT_EQ(StreamWriteError(ok), "");
    EXPECT_NE(std::fputs("more\n", ok), EOF) << "the stream was closed";
    std::fclose(ok);
    if (!fs::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    std::fputs("summary\n", full);
    EXPECT_EQ(StreamWriteError(full), "No space left on device");
    std::fclose(full);
}

}  // namespace
