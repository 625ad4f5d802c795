// The last step of every job: did standard output take every byte?
// printf and fputs to a full disk or a closed pipe fail quietly, so without
// this check "vantorel-sim fly --print-builtin > /dev/full" would exit 0
// with an empty file.
//
// Wiring: the job's last line, on every path that may have printed,
//     return FinishStandardOutput("fly", exit_code);
// and after a write whose failure should keep its reason,
//     std::fputs(line, stdout);
//     NoteWriteResult(stdout);
#ifndef VANTOREL_SIM_COMMON_STANDARD_OUTPUT_H
#define VANTOREL_SIM_COMMON_STANDARD_OUTPUT_H

#include <cstdio>
#include <string>
#include <string_view>

namespace vantorel_sim {

// Call right after writing to stdout or stderr: when the stream's error
// flag is set, errno still holds the reason, kept for StreamWriteError.
void NoteWriteResult(std::FILE* stream);

// Flushes stream and reports why a write to it failed (fflush, the sticky
// error flag with the reason NoteWriteResult kept, and a close of a
// duplicate descriptor for file systems that report only on close); empty
// when every write went through. The stream stays open.
std::string StreamWriteError(std::FILE* stream);

// A failure of standard output was already reported (as an output of the
// job): FinishStandardOutput keeps the code without a second message.
void StandardOutputFailureReported();

// Flushes stdout and std::cout. When a write failed, prints
// "vantorel-sim JOB: cannot write to standard output: REASON" on standard
// error ("vantorel-sim: ..." for an empty job) and returns
// kExitOutputFailed, or exit_code if that already says the job failed;
// otherwise returns exit_code.
int FinishStandardOutput(std::string_view job, int exit_code);

}  // namespace vantorel_sim

#endif
