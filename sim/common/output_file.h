// Output files that appear complete or not at all.
//
// An OutputFile writes to a temporary name in the target's folder
// (".vs-XXXXXX": short, so a name near the file system's limit still
// works) and renames it over the target only in Commit(). Destroyed without
// a successful Commit() it removes the temporary, so after any error no
// partial output remains and an existing file is untouched; SIGINT, SIGTERM
// and SIGHUP remove it too (common/signal_cleanup.h).
// "-" is standard output (binary mode where the platform has one); an
// existing device or pipe (/dev/null, a FIFO) is written in place, as
// renaming over it would be wrong. A symbolic link is written through: its
// target is created or replaced, the link stays.
//
// Several outputs of one run commit together through OutputPlan
// (common/output_plan.h), which calls Finish() on every one before it
// calls Install() on any.
//
// Wiring, one file on its own:
//     CheckWritable(trace_path, "the trace");          // before any work
//     ...
//     OutputFile trace(trace_path, "the trace");       // throws on failure
//     options.trace = trace.file();
//     RunReplay(...);
//     trace.Commit();                                  // throws on failure
// Failures throw CommandError(kExitOutputFailed) with a message such as
// "cannot write the trace 'out/t.jsonl': No space left on device".
#ifndef VANTOREL_SIM_COMMON_OUTPUT_FILE_H
#define VANTOREL_SIM_COMMON_OUTPUT_FILE_H

#include <cstdio>
#include <string>
#include <string_view>

namespace vantorel_sim {

// Checks, before any work starts, that path can be written: "-" always can;
// otherwise the path is not a folder, its folder exists and may be written,
// and an existing file may be written. label names the output in the
// message ("the trace", "--csv"). Throws CommandError(kExitOutputFailed).
void CheckWritable(const std::string& path, const std::string& label);

class OutputFile {
public:
    enum class Mode { kStandardOutput, kInPlace, kTemporary };

    // Opens path for writing (see above); throws CommandError(kExitOutputFailed).
    OutputFile(std::string path, std::string label);
    // Standard output under the name the user gave it (/dev/stdout, or a
    // file that is standard output): messages show path.
    static OutputFile StandardOutput(std::string path, std::string label);
    ~OutputFile();  // without Commit(): the temporary is removed
    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&& other) noexcept;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // For writers; valid until Finish() or Discard(). Write errors are
    // sticky on the stream and reported by Finish().
    std::FILE* file() const { return file_; }
    // fwrite of text; a failure shows in Finish() with its reason.
    void Write(std::string_view text);

    // Finish() then Install().
    void Commit();
    // Flushes, checks every write and closes; the bytes stay under the
    // temporary name. Throws CommandError(kExitOutputFailed) naming the
    // reason, the temporary removed. For standard output: flush and check.
    void Finish();
    // Renames the finished temporary into place (nothing to do for standard
    // output or a device). Throws as Finish().
    void Install();
    // Gives up: the temporary is removed now. Safe to call more than once.
    void Discard();

    const std::string& path() const { return path_; }
    bool is_standard_output() const { return mode_ == Mode::kStandardOutput; }
    // Where the bytes go until Install(); empty unless renamed into place.
    const std::string& temporary_path() const { return temporary_; }

private:
    OutputFile() = default;
    void OpenTemporary();
    [[noreturn]] void Fail(const std::string& reason);
    std::string WriteErrorReason();
    void ForgetTemporary();

    std::string path_;
    std::string label_;
    std::string target_;     // where the bytes land: path_ with symbolic links followed
    std::string temporary_;  // kTemporary only
    Mode mode_ = Mode::kTemporary;
    std::FILE* file_ = nullptr;
    bool finished_ = false;
    int write_errno_ = 0;     // the first failed Write()'s reason
    int cleanup_slot_ = -1;   // the temporary's entry for the signal handler
};

}  // namespace vantorel_sim

#endif
