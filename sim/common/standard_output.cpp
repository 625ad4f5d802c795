#include "common/standard_output.h"

#include <cerrno>
#include <cstring>
#include <iostream>

#include "common/exit_codes.h"
#include "common/platform.h"

namespace vantorel_sim {

namespace {

// The first reason a write to stdout or stderr failed with; 0: none known.
int g_stdout_errno = 0, g_stderr_errno = 0;
bool g_stdout_reported = false;

int* NotedErrno(std::FILE* stream) {
    if (stream == stdout) return &g_stdout_errno;
    if (stream == stderr) return &g_stderr_errno;
    return nullptr;
}

}  // namespace

void NoteWriteResult(std::FILE* stream) {
    int* noted = NotedErrno(stream);
    if (noted != nullptr && *noted == 0 && std::ferror(stream) != 0 && errno != 0) *noted = errno;
}

std::string StreamWriteError(std::FILE* stream) {
    if (std::fflush(stream) != 0) return std::strerror(errno);
    if (std::ferror(stream) != 0) {
        // The buffer went out, but an earlier write failed.
        const int* noted = NotedErrno(stream);
        return noted != nullptr && *noted != 0 ? std::strerror(*noted) : "a write failed";
    }
    if (const int err = platform::CloseDuplicate(stream)) return std::strerror(err);
    return {};
}

void StandardOutputFailureReported() { g_stdout_reported = true; }

int FinishStandardOutput(std::string_view job, int exit_code) {
    // stdout first: a synchronised std::cout flush would flush it too and
    // drop the reason.
    std::string error = StreamWriteError(stdout);
    if (error.empty()) {
        errno = 0;
        std::cout.flush();  // holds a buffer of its own when not synchronised
        if (!std::cout) error = errno != 0 ? std::strerror(errno) : "a write failed";
    }
    if (error.empty()) return exit_code;
    if (!g_stdout_reported) {
        std::fprintf(stderr, "vantorel-sim%s%.*s: cannot write to standard output: %s\n", job.empty() ? "" : " ",
                     static_cast<int>(job.size()), job.data(), error.c_str());
    }
    return exit_code != kExitSuccess ? exit_code : kExitOutputFailed;
}

}  // namespace vantorel_sim
