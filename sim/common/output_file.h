// Output files that appear complete or not at all.
//
// An OutputFile writes to a temporary name in the target's folder
// (".NAME.tmp-PID-N") and renames it over NAME only in Commit(). Destroyed
// without a successful Commit() it removes the temporary, so after any
// error no partial output remains and an existing NAME is untouched.
// "-" is standard output (binary mode where the platform has one); an
// existing device or pipe (/dev/null, a FIFO) is written in place, as
// renaming over it would be wrong. A symbolic link is written through: its
// target is replaced, the link stays.
//
// Wiring:
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
    // Opens path for writing (see above); throws CommandError(kExitOutputFailed).
    OutputFile(std::string path, std::string label);
    ~OutputFile();  // without Commit(): the temporary is removed
    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&& other) noexcept;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // For writers; valid until Commit() or Discard(). Write errors are
    // sticky on the stream and reported by Commit().
    std::FILE* file() const { return file_; }
    // fwrite of text; a failure shows in Commit().
    void Write(std::string_view text);

    // Flushes, checks every write, closes and renames into place. Throws
    // CommandError(kExitOutputFailed) naming the reason; the temporary is
    // gone either way. For standard output: flush and check only.
    void Commit();
    // Gives up: the temporary is removed now. Safe to call more than once.
    void Discard();

    const std::string& path() const { return path_; }
    bool is_standard_output() const { return mode_ == Mode::kStandardOutput; }
    // Where the bytes go until Commit(); empty unless renamed into place.
    const std::string& temporary_path() const { return temporary_; }

private:
    enum class Mode { kStandardOutput, kInPlace, kTemporary };
    [[noreturn]] void Fail(const std::string& reason);
    std::string WriteErrorReason();

    std::string path_;
    std::string label_;
    std::string target_;     // path_ with a symbolic link resolved
    std::string temporary_;  // kTemporary only
    Mode mode_ = Mode::kTemporary;
    std::FILE* file_ = nullptr;
};

}  // namespace vantorel_sim

#endif
