#include "common/output_file.h"

#include <atomic>
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

std::string Quoted(const std::string& path) { return "'" + MessageSafe(path) + "'"; }

[[noreturn]] void Refuse(const std::string& label, const std::string& path, const std::string& reason) {
    throw CommandError(kExitOutputFailed, "cannot write " + label + " " + Quoted(path) + ": " + reason);
}

// The file a write to path lands in: a symbolic link's target.
fs::path Target(const std::string& path) {
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(path, ec))) {
        const fs::path resolved = fs::canonical(path, ec);
        if (!ec) return resolved;
    }
    return fs::path(path);
}

fs::path FolderOf(const fs::path& file) {
    const fs::path folder = file.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// Unique within the process by the counter, across processes by the id.
std::string TemporaryName(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    const std::string name = "." + target.filename().string() + ".tmp-" + std::to_string(platform::ProcessId()) +
                             "-" + std::to_string(counter++);
    return (FolderOf(target) / name).string();
}

void CheckFolder(const fs::path& folder, const std::string& label, const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(folder, ec);
    const std::string where = "folder " + Quoted(folder.string());
    if (!fs::exists(status)) Refuse(label, path, where + (ec && ec != std::errc::no_such_file_or_directory
                                                               ? ": " + ec.message()
                                                               : " does not exist"));
    if (!fs::is_directory(status)) Refuse(label, path, Quoted(folder.string()) + " is not a folder");
    if (const int err = platform::WriteAccess(folder.string(), true)) Refuse(label, path, where + ": " + std::strerror(err));
}

}  // namespace

void CheckWritable(const std::string& path, const std::string& label) {
    if (path == "-") return;
    if (path.empty()) throw CommandError(kExitOutputFailed, "cannot write " + label + ": the file name is empty");
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::is_directory(status)) {
        throw CommandError(kExitOutputFailed, label + " " + Quoted(path) + " is a directory, not a file");
    }
    if (fs::exists(status)) {
        if (const int err = platform::WriteAccess(path, false)) Refuse(label, path, std::strerror(err));
        if (!fs::is_regular_file(status)) return;  // a device or pipe is written in place
    } else if (!fs::path(path).has_filename()) {
        Refuse(label, path, "the name ends in a folder separator");
    }
    CheckFolder(FolderOf(Target(path)), label, path);
}

OutputFile::OutputFile(std::string path, std::string label) : path_(std::move(path)), label_(std::move(label)) {
    if (path_ == "-") {
        mode_ = Mode::kStandardOutput;
        file_ = stdout;
        platform::SetBinaryMode(stdout);
        return;
    }
    CheckWritable(path_, label_);
    std::error_code ec;
    const fs::file_status status = fs::status(path_, ec);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        mode_ = Mode::kInPlace;
        file_ = std::fopen(path_.c_str(), "wb");
        if (file_ == nullptr) Refuse(label_, path_, std::strerror(errno));
        return;
    }
    const fs::path target = Target(path_);
    target_ = target.string();
    // "x": never reuse a name another writer has just taken.
    for (int attempt = 0; file_ == nullptr; ++attempt) {
        temporary_ = TemporaryName(target);
        file_ = std::fopen(temporary_.c_str(), "wbx");
        if (file_ == nullptr && (errno != EEXIST || attempt == 100)) {
            const int err = errno;
            temporary_.clear();
            Refuse(label_, path_, std::strerror(err));
        }
    }
    // A replaced file keeps its permissions.
    if (fs::is_regular_file(status)) fs::permissions(temporary_, status.permissions(), ec);
}

OutputFile::~OutputFile() { Discard(); }

OutputFile::OutputFile(OutputFile&& other) noexcept
    : path_(std::move(other.path_)),
      label_(std::move(other.label_)),
      target_(std::move(other.target_)),
      temporary_(std::exchange(other.temporary_, {})),
      mode_(other.mode_),
      file_(std::exchange(other.file_, nullptr)) {}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
    if (this != &other) {
        Discard();
        path_ = std::move(other.path_);
        label_ = std::move(other.label_);
        target_ = std::move(other.target_);
        temporary_ = std::exchange(other.temporary_, {});
        mode_ = other.mode_;
        file_ = std::exchange(other.file_, nullptr);
    }
    return *this;
}

void OutputFile::Write(std::string_view text) {
    if (file_ != nullptr && !text.empty()) std::fwrite(text.data(), 1, text.size(), file_);
}

void OutputFile::Discard() {
    if (file_ != nullptr && mode_ != Mode::kStandardOutput) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) {
        std::error_code ec;
        fs::remove(temporary_, ec);
        temporary_.clear();
    }
}

void OutputFile::Fail(const std::string& reason) {
    Discard();
    Refuse(label_, path_, reason);
}

// Why the stream failed after its final flush went through. A write error
// is sticky but its errno is long gone, so a temporary (discarded anyway)
// is written once more to learn it.
std::string OutputFile::WriteErrorReason() {
    if (mode_ == Mode::kTemporary) {
        std::clearerr(file_);
        if (std::fputc('\n', file_) == EOF || std::fflush(file_) != 0) return std::strerror(errno);
    }
    return "a write failed";
}

void OutputFile::Commit() {
    if (file_ == nullptr) Refuse(label_, path_, "the output was already closed");
    if (std::fflush(file_) != 0) Fail(std::strerror(errno));
    if (std::ferror(file_) != 0) Fail(WriteErrorReason());
    if (mode_ == Mode::kStandardOutput) {
        file_ = nullptr;
        return;
    }
    std::FILE* file = std::exchange(file_, nullptr);
    if (std::fclose(file) != 0) Fail(std::strerror(errno));
    if (mode_ == Mode::kInPlace) return;
    std::error_code ec;
    fs::rename(temporary_, target_, ec);
    if (ec) Fail(ec.message());
    temporary_.clear();
}

}  // namespace vantorel_sim
