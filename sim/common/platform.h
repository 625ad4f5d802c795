// The few operating-system calls the shared blocks need, behind one small
// interface so the rest stays portable C++. Each returns an errno value
// (0 for success) rather than setting errno.
#ifndef VANTOREL_SIM_COMMON_PLATFORM_H
#define VANTOREL_SIM_COMMON_PLATFORM_H

#include <cstdio>
#include <string>

namespace vantorel_sim::platform {

bool IsTerminal(std::FILE* stream);

// No newline translation on the stream, where the platform has such a mode.
void SetBinaryMode(std::FILE* stream);

// Whether this process may write to the existing path; for a folder, whether
// it may create entries in it.
int WriteAccess(const std::string& path, bool folder);

long ProcessId();

// Closes a duplicate of the stream's descriptor: file systems that report
// write errors only on close (NFS) report them here, while the stream itself
// stays open for whatever still writes to it.
int CloseDuplicate(std::FILE* stream);

}  // namespace vantorel_sim::platform

#endif
