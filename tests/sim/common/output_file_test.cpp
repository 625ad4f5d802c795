// Outputs appear complete or not at all: an existing file is untouched
// until Commit() succeeds, and nothing partial is left after a failure.
#include "common/output_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/exit_codes.h"
#include "scratch_dir.h"

namespace {

using namespace vantorel_sim;
using test_support::Entries;
using test_support::ReadFile;
using test_support::ScratchDir;
using test_support::WriteFile;
namespace fs = std::filesystem;

using Names = std::vector<std::string>;

// Child side of the death tests below: exits with the code of the
// CommandError that Commit() throws, its message on standard error.
[[noreturn]] void CommitAndExit(OutputFile& out) {
    try {
        out.Commit();
    } catch (const CommandError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        std::exit(e.exit_code());
    }
    std::exit(0);
}

[[noreturn]] void WriteBeyondFileSizeLimit(const std::string& path) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    OutputFile out(path, "the trace");
    out.Write(std::string(100000, 'x'));
    CommitAndExit(out);
}

[[noreturn]] void WriteToFullStandardOutput() {
    if (std::freopen("/dev/full", "w", stdout) == nullptr) std::exit(10);
    OutputFile out("-", "the trace");
    if (!out.is_standard_output() || out.file() != stdout) std::exit(11);
    out.Write("{\"frame\": 1}\n");
    CommitAndExit(out);
}

TEST(OutputFile, CommitReplacesTheFileAndLeavesNoTemporary) {
    ScratchDir dir;
    WriteFile(dir / "t.jsonl", "old contents\n");
    OutputFile out(dir / "t.jsonl", "the trace");
    EXPECT_EQ(fs::path(out.temporary_path()).parent_path(), dir.path());
    EXPECT_EQ(fs::path(out.temporary_path()).filename().string().rfind(".vs-", 0), 0u);
    out.Write("new ");
    std::fputs("contents\n", out.file());
    EXPECT_EQ(ReadFile(dir / "t.jsonl"), "old contents\n") << "replaced before Commit()";
    out.Commit();
    EXPECT_EQ(ReadFile(dir / "t.jsonl"), "new contents\n");
    EXPECT_EQ(Entries(dir.path()), Names{"t.jsonl"});
}

TEST(OutputFile, WithoutCommitAnExistingFileStaysByteIdentical) {
    ScratchDir dir;
    const std::string original("keep\0me\r\n", 9);
    WriteFile(dir / "keep.csv", original);
    {
        OutputFile out(dir / "keep.csv", "--csv");
        out.Write("half a li");
        std::fflush(out.file());
    }
    EXPECT_EQ(ReadFile(dir / "keep.csv"), original);
    {
        OutputFile out(dir / "new.csv", "--csv");
        out.Write("never committed");
        OutputFile moved = std::move(out);
        moved.Discard();
    }
    EXPECT_EQ(Entries(dir.path()), Names{"keep.csv"});
}

// A regular file that fails mid-write: the process may not grow a file past
// 4 KiB. The child reports through its exit code; the parent looks at disk.
TEST(OutputFile, FailedCommitNamesTheReasonAndKeepsTheExistingFile) {
    ScratchDir dir;
    const std::string path = dir / "t.jsonl";
    WriteFile(path, "the previous trace\n");
    EXPECT_EXIT(WriteBeyondFileSizeLimit(path),
        testing::ExitedWithCode(kExitOutputFailed), "cannot write the trace '.*t.jsonl': File too large");
    EXPECT_EQ(ReadFile(path), "the previous trace\n");
    EXPECT_EQ(Entries(dir.path()), Names{"t.jsonl"});
}

TEST(OutputFile, FullDeviceIsWrittenInPlaceAndReportsNoSpace) {
    if (!fs::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
    OutputFile out("/dev/full", "--svg");
    EXPECT_EQ(out.temporary_path(), "");
    out.Write("<svg/>");
    try {
        out.Commit();
        ADD_FAILURE() << "a write to /dev/full was reported as done";
    } catch (const CommandError& e) {
        EXPECT_EQ(e.exit_code(), kExitOutputFailed);
        EXPECT_STREQ(e.what(), "cannot write --svg '/dev/full': No space left on device");
    }
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST(OutputFile, StandardOutputCommitReportsAFullDisk) {
    if (!fs::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
    EXPECT_EXIT(WriteToFullStandardOutput(),
        testing::ExitedWithCode(kExitOutputFailed), "cannot write the trace '-': No space left on device");
}

TEST(OutputFile, SymbolicLinkIsWrittenThroughAndKeptAsALink) {
    ScratchDir dir;
    fs::create_directory(dir.path() / "real");
    WriteFile(dir / "real/t.txt", "old");
    fs::create_symlink("real/t.txt", dir.path() / "link");
    OutputFile out(dir / "link", "the trace");
    EXPECT_EQ(fs::path(out.temporary_path()).parent_path(), dir.path() / "real");
    out.Write("new");
    out.Commit();
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link"));
    EXPECT_EQ(ReadFile(dir / "real/t.txt"), "new");
}

TEST(OutputFile, ReplacedFileKeepsItsPermissionsAndWritersGetDistinctTemporaries) {
    ScratchDir dir;
    WriteFile(dir / "p.csv", "x");
    fs::permissions(dir / "p.csv", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    OutputFile first(dir / "p.csv", "--csv");
    OutputFile second(dir / "p.csv", "--csv");
    EXPECT_NE(first.temporary_path(), second.temporary_path());
    second.Discard();
    first.Commit();
    EXPECT_EQ(fs::status(dir / "p.csv").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// The temporary's name is short whatever the target's: a name at the file
// system's limit still works.
TEST(OutputFile, NameAtTheFileSystemLimitWorks) {
    ScratchDir dir;
    const std::string name(255, 'n');
    OutputFile out(dir / name, "--csv");
    EXPECT_LE(fs::path(out.temporary_path()).filename().string().size(), 10u);
    out.Write("x");
    out.Commit();
    EXPECT_EQ(ReadFile(dir / name), "x");
}

// Ended by a signal while writing: the temporary goes, the file stays, and
// the process ends by that same signal.
[[noreturn]] void WriteThenRaise(const std::string& path, int signal_number) {
    OutputFile out(path, "the trace");
    out.Write("half");
    std::fflush(out.file());
    std::raise(signal_number);
    std::exit(0);
}

TEST(OutputFile, SignalRemovesTheTemporaryAndEndsTheProcessByIt) {
    ScratchDir dir;
    WriteFile(dir / "t.jsonl", "kept\n");
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        EXPECT_EXIT(WriteThenRaise(dir / "t.jsonl", sig), testing::KilledBySignal(sig), "") << sig;
        EXPECT_EQ(Entries(dir.path()), Names{"t.jsonl"}) << "signal " << sig;
        EXPECT_EQ(ReadFile(dir / "t.jsonl"), "kept\n");
    }
}

TEST(CheckWritable, RefusesWhatCannotBeWrittenBeforeAnyWork) {
    ScratchDir dir;
    fs::create_directory(dir.path() / "sub");
    WriteFile(dir / "file", "");
    const std::string d = dir.path().string();
    const struct {
        std::string path;
        std::string message;  // empty: accepted
    } cases[] = {
        {"-", ""},
        {d + "/new.csv", ""},
        {d + "/file", ""},
        {d + "/sub/new.csv", ""},
        {"", "cannot write --csv: the file name is empty"},
        {d + "/sub", "--csv '" + d + "/sub' is a directory, not a file"},
        {d + "/nodir/x.csv", "cannot write --csv '" + d + "/nodir/x.csv': folder '" + d + "/nodir' does not exist"},
        {d + "/file/x.csv", "cannot write --csv '" + d + "/file/x.csv': '" + d + "/file' is not a folder"},
        {d + "/nodir/", "cannot write --csv '" + d + "/nodir/': the name ends in a folder separator"},
        {d + "/n\x1b[2J/x", "cannot write --csv '" + d + "/n\\x1b[2J/x': folder '" + d + "/n\\x1b[2J' does not exist"},
    };
    for (const auto& c : cases) {
        std::string message;
        try {
            CheckWritable(c.path, "--csv");
        } catch (const CommandError& e) {
            EXPECT_EQ(e.exit_code(), kExitOutputFailed);
            message = e.what();
        }
        EXPECT_EQ(message, c.message) << c.path;
    }
    EXPECT_EQ(Entries(dir.path()), (Names{"file", "sub"})) << "a check must not create anything";
}

TEST(CheckWritable, ReadOnlyFolderIsRefusedWithTheSystemReason) {
    if (::geteuid() == 0) GTEST_SKIP() << "running as root: every folder is writable";
    ScratchDir dir;
    fs::create_directory(dir.path() / "ro");
    fs::permissions(dir.path() / "ro", fs::perms::owner_read | fs::perms::owner_exec);
    try {
        CheckWritable(dir / "ro/x.csv", "--csv");
        ADD_FAILURE() << "a read-only folder was accepted";
    } catch (const CommandError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "cannot write --csv '" + (dir / "ro/x.csv") + "': folder '" + (dir / "ro") + "': Permission denied");
    }
}

}  // namespace
