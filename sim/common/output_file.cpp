#include "common/output_file.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>
#include <utility>

#include "common/exit_codes.h"
#include "common/file_identity.h"
#include "common/platform.h"
#include "common/signal_cleanup.h"
#include "common/standard_output.h"
#include "common/text_escape.h"

namespace vantorel_sim {

namespace fs = std::filesystem;

namespace {

std::string Quoted(const std::string& path) { return "'" + MessageSafe(path) + "'"; }

[[noreturn]] void Refuse(const std::string& label, const std::string& path, const std::string& reason) {
    throw CommandError(kExitOutputFailed, "cannot write " + label + " " + Quoted(path) + ": " + reason);
}

fs::path FolderOf(const fs::path& file) {
    const fs::path folder = file.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// ".vs-" and six letters or digits: short whatever the target's name, and
// taken with an exclusive create, so writers never share one.
std::string TemporaryName(const fs::path& folder) {
    static std::mt19937_64 random(std::random_device{}() ^
                                  static_cast<std::uint64_t>(platform::ProcessId()) << 32 ^
                                  static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = ".vs-";
    for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    return (folder / name).string();
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

// The folder as the user wrote it, for messages; the one a write lands in
// when the name is a symbolic link.
fs::path ShownFolder(const std::string& path) {
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(path, ec))) return FolderOf(fs::path(WriteTarget(path)));
    return FolderOf(fs::path(path));
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
    CheckFolder(ShownFolder(path), label, path);
}

OutputFile OutputFile::StandardOutput(std::string path, std::string label) {
    OutputFile out;
    out.path_ = std::move(path);
    out.label_ = std::move(label);
    out.mode_ = Mode::kStandardOutput;
    out.file_ = stdout;
    platform::SetBinaryMode(stdout);
    return out;
}

OutputFile::OutputFile(std::string path, std::string label) : path_(std::move(path)), label_(std::move(label)) {
    if (path_ == "-") {
        *this = StandardOutput(path_, label_);
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
    target_ = WriteTarget(path_);
    OpenTemporary();
    // A replaced file keeps its permissions.
    if (fs::is_regular_file(status)) fs::permissions(temporary_, status.permissions(), ec);
}

void OutputFile::OpenTemporary() {
    const fs::path folder = FolderOf(fs::path(target_));
    for (int attempt = 0; file_ == nullptr; ++attempt) {
        // Registered before it exists, so no signal finds it unregistered.
        const SignalBlock block;
        temporary_ = TemporaryName(folder);
        cleanup_slot_ = RegisterForCleanup(temporary_, CleanupKind::kFile);
        // "x": never reuse a name another writer has just taken.
        file_ = std::fopen(temporary_.c_str(), "wbx");
        if (file_ == nullptr) {
            const int err = errno;
            ReleaseCleanup(std::exchange(cleanup_slot_, -1));
            temporary_.clear();
            if (err != EEXIST || attempt == 100) Refuse(label_, path_, std::strerror(err));
        }
    }
}

OutputFile::~OutputFile() { Discard(); }

OutputFile::OutputFile(OutputFile&& other) noexcept { *this = std::move(other); }

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
    if (this != &other) {
        Discard();
        path_ = std::move(other.path_);
        label_ = std::move(other.label_);
        target_ = std::move(other.target_);
        temporary_ = std::exchange(other.temporary_, {});
        mode_ = other.mode_;
        file_ = std::exchange(other.file_, nullptr);
        finished_ = other.finished_;
        write_errno_ = other.write_errno_;
        cleanup_slot_ = std::exchange(other.cleanup_slot_, -1);
    }
    return *this;
}

void OutputFile::Write(std::string_view text) {
    if (file_ == nullptr || text.empty()) return;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() && write_errno_ == 0) write_errno_ = errno;
}

void OutputFile::ForgetTemporary() {
    temporary_.clear();
    ReleaseCleanup(std::exchange(cleanup_slot_, -1));
}

void OutputFile::Discard() {
    if (file_ != nullptr && mode_ != Mode::kStandardOutput) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) {
        std::error_code ec;
        fs::remove(temporary_, ec);
        ForgetTemporary();
    }
}

void OutputFile::Fail(const std::string& reason) {
    Discard();
    // Said once: the end of the job need not say it again.
    if (mode_ == Mode::kStandardOutput) StandardOutputFailureReported();
    Refuse(label_, path_, reason);
}

// Why the stream failed after its final flush went through. A write error
// is sticky but its errno may be gone: a temporary (discarded anyway) is
// written once more to learn it.
std::string OutputFile::WriteErrorReason() {
    if (write_errno_ != 0) return std::strerror(write_errno_);
    if (mode_ == Mode::kTemporary) {
        std::clearerr(file_);
        if (std::fputc('\n', file_) == EOF || std::fflush(file_) != 0) return std::strerror(errno);
    }
    return StreamWriteError(file_);
}

void OutputFile::Finish() {
    if (finished_) return;
    if (file_ == nullptr) Refuse(label_, path_, "the output was already closed");
    if (std::fflush(file_) != 0) Fail(std::strerror(write_errno_ != 0 ? write_errno_ : errno));
    if (std::ferror(file_) != 0) Fail(WriteErrorReason());
    std::FILE* file = std::exchange(file_, nullptr);
    if (mode_ != Mode::kStandardOutput && std::fclose(file) != 0) Fail(std::strerror(errno));
    finished_ = true;
}

void OutputFile::Install() {
    Finish();
    if (mode_ != Mode::kTemporary || temporary_.empty()) return;
    std::error_code ec;
    fs::rename(temporary_, target_, ec);
    if (ec) Fail(ec.message());
    ForgetTemporary();
}

void OutputFile::Commit() {
    Finish();
    Install();
}

}  // namespace vantorel_sim
