// Every file a run reads and writes, checked before anything is written and
// committed together at the end.
//
// Inputs are every file the job reads: scripts, the module, the sound
// library, the meshes and waves it loads, defaults included. Check() refuses
// an output that is the same file as an input, as another output or as
// standard error. Files are compared by identity, after every symbolic
// link, /dev/stdin, /dev/stdout and /proc/self/fd/N entry is followed: "a",
// "./a", a hard link and a symbolic link to a are all a, and an output that
// does not exist yet matches another with the same target. "-" as an input
// is standard input, as an output standard output; an output that names
// the process's standard output (/dev/stdout, or the file it is
// redirected to) is written there, as "-". Devices are never a clash and
// are written in place (two outputs to /dev/null are fine).
//
// Outputs commit together: Open() writes each to a temporary, Commit()
// finishes them all (flush, check, close) and checks standard output, and
// only then renames them into place. After any failure, or a signal,
// every existing file is as it was.
//
// Wiring:
//     OutputPlan plan;
//     plan.AddInput("the script", script_path);
//     plan.AddInput("the module", module_path);      // the default too
//     const auto trace = plan.AddOutput("the trace", trace_path);  // "": not requested
//     const auto csv = plan.AddOutput("the telemetry", csv_path);
//     plan.Check();                // before anything is read or loaded
//     plan.Open();
//     ... write to plan.file(trace), plan.file(csv) (null when not requested) ...
//     plan.Commit();
// Check() throws CommandError: kExitBadInput for a clash ("the trace 'x' is
// the same file as the script 'y'"), then kExitOutputFailed for an output
// that CheckWritable() refuses. Open() and Commit() throw kExitOutputFailed.
#ifndef VANTOREL_SIM_COMMON_OUTPUT_PLAN_H
#define VANTOREL_SIM_COMMON_OUTPUT_PLAN_H

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "common/file_identity.h"
#include "common/output_file.h"

namespace vantorel_sim {

class OutputPlan {
public:
    using Output = std::size_t;

    // label names the file in messages ("the script", "--trace"). An empty
    // path is skipped; "-" is standard input or output.
    void AddInput(std::string label, std::string path);
    Output AddOutput(std::string label, std::string path);

    // Throws CommandError for the first clash, in the order added, then for
    // the first output that cannot be written. May run again after more
    // inputs are known (the meshes a module asks for).
    void Check();
    // Whether any output goes to standard output (text the job prints
    // there then belongs on standard error).
    bool writes_standard_output() const;

    // Opens every requested output; Check() first.
    void Open();
    // The output's stream from Open() until Commit(); null when not requested.
    std::FILE* file(Output output) const;
    OutputFile* output_file(Output output);

    // Every output finished (written, flushed, closed, checked) and standard
    // output checked; nothing renamed yet. Throws at the first failure.
    void Finish();
    // Finish(), then every temporary renamed into place.
    void Commit();
    // Every temporary removed; also what destruction without Commit() does.
    void Discard();

private:
    struct Entry {
        std::string label;
        std::string path;
        FileIdentity identity;
        std::string target;            // where a write lands, for an output that does not exist yet
        bool standard_output = false;  // "-" or a name of the process's standard output
        std::optional<OutputFile> file;
    };
    void Resolve();

    std::vector<Entry> inputs_;
    std::vector<Entry> outputs_;
};

}  // namespace vantorel_sim

#endif
