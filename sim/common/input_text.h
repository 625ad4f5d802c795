// Reading a text script ("-": standard input) with bounds, so that
// /dev/zero, a directory or a binary file gets a clear message instead of
// filling memory.
//
// What the reader does for every caller:
// - refuses a directory or a device by name ("the script 'd' is a
//   directory, not a file"); pipes and standard input are fine;
// - reports a file it cannot open or read with the system's reason;
// - skips a UTF-8 byte-order mark at the very start;
// - ends lines at LF, CRLF or a lone CR, and returns them without the end;
// - stops at a NUL byte with its line and byte column ("s.jsonl:3:7: ...");
// - stops at the first line longer than max_line_bytes and once more than
//   max_bytes have been read (a regular file is measured before reading).
// Every failure throws CommandError(kExitBadInput).
//
// Wiring, streaming (replay):
//     TextReader reader(script_path, "the script");
//     std::string line;
//     while (reader.NextLine(line)) Parse(line, reader.line_number());
// Whole text (fly):
//     const std::string text = ReadText(script_path, "the pilot script");
#ifndef VANTOREL_SIM_COMMON_INPUT_TEXT_H
#define VANTOREL_SIM_COMMON_INPUT_TEXT_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vantorel_sim {

inline constexpr std::uint64_t kDefaultMaxInputBytes = std::uint64_t{64} << 20;  // 64 MiB
inline constexpr std::size_t kDefaultMaxLineBytes = std::size_t{1} << 20;        // 1 MiB

struct InputLimits {
    std::uint64_t max_bytes = kDefaultMaxInputBytes;
    std::size_t max_line_bytes = kDefaultMaxLineBytes;
    // How a user raises the limits, added to those messages when set
    // ("--max-script-mib").
    std::string raise_with;
};

class TextReader {
public:
    // label names the input in messages ("the script"). Throws.
    TextReader(const std::string& path, const std::string& label, InputLimits limits = {});
    ~TextReader();
    TextReader(const TextReader&) = delete;
    TextReader& operator=(const TextReader&) = delete;

    // The next line into line (without its end); false at the end. Throws.
    bool NextLine(std::string& line);
    // 1-based number of the line NextLine returned last.
    int line_number() const { return line_number_; }
    // Whether that line had a line end (the last line of a file may not).
    bool line_ended() const { return line_ended_; }
    // The path, or "<stdin>" for "-": for "SOURCE:LINE:" in messages. Not
    // escaped; pass it through MessageSafe() before printing.
    const std::string& source() const { return source_; }

private:
    bool Fill();
    void SkipByteOrderMark();
    [[noreturn]] void FailAtLine(int column, const std::string& problem) const;
    std::string LimitHint() const;

    std::string source_;
    std::string label_;
    InputLimits limits_;
    std::FILE* file_ = nullptr;
    bool owns_file_ = false;
    std::vector<char> buffer_;
    std::size_t pos_ = 0, end_ = 0;
    std::uint64_t bytes_read_ = 0;
    bool eof_ = false;
    bool skip_lf_ = false;  // the last line ended with CR: a following LF belongs to it
    int line_number_ = 0;
    bool line_ended_ = false;
};

// The whole text with every line end as "\n" and no byte-order mark; ends
// with "\n" exactly when the input's last line did. Throws as TextReader.
std::string ReadText(const std::string& path, const std::string& label, const InputLimits& limits = {});

// "64 MiB", "512 KiB", "1000 bytes".
std::string DescribeBytes(std::uint64_t bytes);

}  // namespace vantorel_sim

#endif
