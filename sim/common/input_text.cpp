#include "common/input_text.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "common/exit_codes.h"
#include "common/platform.h"
#include "common/text_escape.h"

namespace vantorel_sim {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;

[[noreturn]] void Fail(const std::string& message) { throw CommandError(kExitBadInput, message); }

// Refuses what is not a text stream before it is opened.
void CheckKind(const std::string& path, const std::string& named) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::is_directory(status)) Fail(named + " is a directory, not a file");
    if (fs::is_character_file(status) || fs::is_block_file(status)) {
        Fail(named + " is a device, not a file (use '-' to read standard input)");
    }
    if (fs::is_socket(status)) Fail(named + " is a socket, not a file");
}

}  // namespace

std::string DescribeBytes(std::uint64_t bytes) {
    if (bytes != 0 && bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
    if (bytes != 0 && bytes % (1u << 10) == 0) return std::to_string(bytes >> 10) + " KiB";
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

TextReader::TextReader(const std::string& path, const std::string& label, InputLimits limits)
    : source_(path == "-" ? "<stdin>" : path), label_(label), limits_(std::move(limits)), buffer_(kBufferBytes) {
    if (path == "-") {
        file_ = stdin;
        platform::SetBinaryMode(stdin);
    } else {
        const std::string named = label_ + " '" + MessageSafe(path) + "'";
        CheckKind(path, named);
        file_ = std::fopen(path.c_str(), "rb");
        if (file_ == nullptr) Fail("cannot read " + named + ": " + std::strerror(errno));
        owns_file_ = true;
        std::error_code ec;
        const std::uintmax_t size = fs::file_size(path, ec);
        if (!ec && fs::is_regular_file(path, ec) && size > limits_.max_bytes) {
            std::fclose(file_);
            Fail(named + " is larger than the limit of " + DescribeBytes(limits_.max_bytes) + LimitHint());
        }
    }
    try {
        SkipByteOrderMark();
    } catch (...) {
        if (owns_file_) std::fclose(file_);  // no destructor for a half-built reader
        throw;
    }
}

TextReader::~TextReader() {
    if (owns_file_) std::fclose(file_);
}

std::string TextReader::LimitHint() const {
    return limits_.raise_with.empty() ? "" : " (" + limits_.raise_with + " raises it)";
}

void TextReader::FailAtLine(int column, const std::string& problem) const {
    std::string where = MessageSafe(source_) + ":" + std::to_string(line_number_ + 1);
    if (column > 0) where += ":" + std::to_string(column);
    Fail(where + ": " + problem);
}

// Reads more bytes after end_; false at the end of the input.
bool TextReader::Fill() {
    if (eof_) return false;
    if (pos_ == end_) pos_ = end_ = 0;
    const std::size_t n = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
    if (n == 0) {
        if (std::ferror(file_)) {
            Fail("cannot read " + label_ + " '" + MessageSafe(source_) + "' after line " +
                 std::to_string(line_number_) + ": " + std::strerror(errno));
        }
        eof_ = true;
        return false;
    }
    end_ += n;
    bytes_read_ += n;
    if (bytes_read_ > limits_.max_bytes) {
        Fail(label_ + " '" + MessageSafe(source_) + "' is larger than the limit of " +
             DescribeBytes(limits_.max_bytes) + LimitHint());
    }
    return true;
}

void TextReader::SkipByteOrderMark() {
    while (end_ < 3 && Fill()) {
    }
    if (end_ >= 3 && std::memcmp(buffer_.data(), "\xEF\xBB\xBF", 3) == 0) pos_ = 3;
}

bool TextReader::NextLine(std::string& line) {
    line.clear();
    bool any = false;
    for (;;) {
        if (pos_ == end_ && !Fill()) {
            if (!any) return false;
            ++line_number_;
            line_ended_ = false;
            return true;
        }
        if (skip_lf_) {
            skip_lf_ = false;
            if (buffer_[pos_] == '\n') {
                ++pos_;
                continue;
            }
        }
        any = true;
        std::size_t stop = pos_;
        while (stop < end_ && buffer_[stop] != '\n' && buffer_[stop] != '\r' && buffer_[stop] != '\0') ++stop;
        line.append(buffer_.data() + pos_, stop - pos_);
        pos_ = stop;
        if (line.size() > limits_.max_line_bytes) {
            FailAtLine(0, "the line is longer than the limit of " + DescribeBytes(limits_.max_line_bytes) +
                              LimitHint());
        }
        if (stop == end_) continue;
        const char end = buffer_[pos_++];
        if (end == '\0') {
            FailAtLine(static_cast<int>(line.size()) + 1, "a NUL byte; is this a text file?");
        }
        skip_lf_ = end == '\r';
        ++line_number_;
        line_ended_ = true;
        return true;
    }
}

std::string ReadText(const std::string& path, const std::string& label, const InputLimits& limits) {
    TextReader reader(path, label, limits);
    std::string text, line;
    while (reader.NextLine(line)) {
        text += line;
        if (reader.line_ended()) text += '\n';
    }
    return text;
}

}  // namespace vantorel_sim
