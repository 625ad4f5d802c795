// Reading scripts: every line-end style, a byte-order mark, and the bounds
// and messages that keep /dev/zero, directories and binary files out.
#include "common/input_text.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "common/exit_codes.h"
#include "scratch_dir.h"

namespace {

using namespace vantorel_sim;
using test_support::ScratchDir;
using test_support::WriteFile;
namespace fs = std::filesystem;

using Lines = std::vector<std::string>;

Lines ReadLines(const std::string& path, const InputLimits& limits = {}) {
    TextReader reader(path, "the script", limits);
    Lines lines;
    std::string line;
    while (reader.NextLine(line)) {
        EXPECT_EQ(reader.line_number(), static_cast<int>(lines.size()) + 1);
        lines.push_back(line);
    }
    return lines;
}

// The message of the CommandError that reading throws, or "" if none.
std::string Refusal(const std::string& path, const InputLimits& limits = {}) {
    try {
        ReadLines(path, limits);
    } catch (const CommandError& e) {
        EXPECT_EQ(e.exit_code(), kExitBadInput);
        return e.what();
    }
    return "";
}

TEST(TextReader, AcceptsEveryLineEndAndSkipsALeadingByteOrderMark) {
    ScratchDir dir;
    const std::string bom = "\xEF\xBB\xBF";
    const struct {
        std::string bytes;
        Lines lines;
        std::string text;  // what ReadText gives
    } cases[] = {
        {"", {}, ""},
        {"\n", {""}, "\n"},
        {"a\nb\n", {"a", "b"}, "a\nb\n"},
        {"a\r\nb", {"a", "b"}, "a\nb"},
        {"a\rb\r", {"a", "b"}, "a\nb\n"},
        {"a\r\r\nb\n\n", {"a", "", "b", ""}, "a\n\nb\n\n"},
        {bom + "# note\n{}", {"# note", "{}"}, "# note\n{}"},
        {bom, {}, ""},
        {"x" + bom + "\n", {"x" + bom}, "x" + bom + "\n"},
        // A CRLF split across the reader's 64 KiB buffer is still one line end.
        {std::string(65535, 'a') + "\r\nb", {std::string(65535, 'a'), "b"}, std::string(65535, 'a') + "\nb"},
    };
    for (const auto& c : cases) {
        WriteFile(dir / "s", c.bytes);
        EXPECT_EQ(ReadLines(dir / "s"), c.lines) << testing::PrintToString(c.bytes.substr(0, 20));
        EXPECT_EQ(ReadText(dir / "s", "the script"), c.text) << testing::PrintToString(c.bytes.substr(0, 20));
    }
}

TEST(TextReader, RefusesWhatIsNotATextScriptWithWhatAndWhere) {
    ScratchDir dir;
    const std::string s = dir / "s";
    InputLimits short_lines;
    short_lines.max_line_bytes = 8;
    short_lines.raise_with = "--max-script-mib";
    InputLimits small;
    small.max_bytes = 16;
    small.raise_with = "--max-script-mib";
    const struct {
        std::string bytes;
        InputLimits limits;
        std::string message;
    } cases[] = {
        {std::string("ok\nab\0c\n", 8), {}, s + ":2:3: a NUL byte; is this a text file?"},
        {std::string("\0", 1), {}, s + ":1:1: a NUL byte; is this a text file?"},
        {"12345678\n123456789\n", short_lines, s + ":2: the line is longer than the limit of 8 bytes (--max-script-mib raises it)"},
        {"1234\r1234\r1234\r12\n", short_lines, ""},
        {"1234\r1234\r1234\r12", small,
         "the script '" + s + "' is larger than the limit of 16 bytes (--max-script-mib raises it)"},
        {"1234\r1234\r1234\r1", small, ""},
    };
    for (const auto& c : cases) {
        WriteFile(s, c.bytes);
        EXPECT_EQ(Refusal(s, c.limits), c.message) << testing::PrintToString(c.bytes);
    }
}

TEST(TextReader, NamesADirectoryADeviceAndAMissingFile) {
    ScratchDir dir;
    const std::string d = dir.path().string();
    EXPECT_EQ(Refusal(d), "the script '" + d + "' is a directory, not a file");
    EXPECT_EQ(Refusal(d + "/missing"), "cannot read the script '" + d + "/missing': No such file or directory");
    EXPECT_EQ(Refusal(d + "/\x1b[2J"), "cannot read the script '" + d + "/\\x1b[2J': No such file or directory");
    if (fs::is_character_file("/dev/zero")) {
        EXPECT_EQ(Refusal("/dev/zero"),
                  "the script '/dev/zero' is a device, not a file (use '-' to read standard input)");
    }
}

TEST(TextReader, UnreadableFileGivesTheSystemReason) {
    if (::geteuid() == 0) GTEST_SKIP() << "running as root: every file is readable";
    ScratchDir dir;
    WriteFile(dir / "s", "{}\n");
    fs::permissions(dir / "s", fs::perms::none);
    EXPECT_EQ(Refusal(dir / "s"), "cannot read the script '" + (dir / "s") + "': Permission denied");
}

// A pipe has no size to check up front: the limit holds while reading.
TEST(TextReader, PipeIsBoundedWhileItIsRead) {
    ScratchDir dir;
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::signal(SIGPIPE, SIG_IGN);  // the reader stops before the writer is done
    std::thread writer([&] {
        std::ofstream out(fifo, std::ios::binary);
        out << std::string(200000, 'x');
    });
    InputLimits limits;
    limits.max_bytes = 100000;
    limits.max_line_bytes = 1000000;
    const std::string message = Refusal(fifo, limits);
    writer.join();
    EXPECT_EQ(message, "the script '" + fifo + "' is larger than the limit of 100000 bytes");
}

[[noreturn]] void ReadStandardInput(const std::string& path) {
    if (std::freopen(path.c_str(), "rb", stdin) == nullptr) std::exit(10);
    TextReader reader("-", "the script");
    std::string line;
    if (reader.source() != "<stdin>" || !reader.NextLine(line) || line != "{}" || reader.NextLine(line)) std::exit(11);
    std::exit(0);
}

TEST(TextReader, DashReadsStandardInput) {
    ScratchDir dir;
    WriteFile(dir / "s", "\xEF\xBB\xBF{}\r\n");
    EXPECT_EXIT(ReadStandardInput(dir / "s"), testing::ExitedWithCode(0), "");
}

TEST(DescribeBytes, UsesTheLargestWholeUnit) {
    EXPECT_EQ(DescribeBytes(kDefaultMaxInputBytes), "64 MiB");
    EXPECT_EQ(DescribeBytes(kDefaultMaxLineBytes), "1 MiB");
    EXPECT_EQ(DescribeBytes(512 * 1024), "512 KiB");
    EXPECT_EQ(DescribeBytes(1000), "1000 bytes");
}

}  // namespace
