#include "common/standard_output.h"

#include <cerrno>
#include <cstring>
#include <iostream>

#include "common/exit_codes.h"
#include "common/platform.h"

namespace vantorel_sim {

std::string StreamWriteError(std::FILE* stream) {
    if (std::fflush(stream) != 0) return std::strerror(errno);
    // The buffer went out, but an earlier write failed and its errno is gone.
    if (std::ferror(stream) != 0) return "a write failed";
    if (const int err = platform::CloseDuplicate(stream)) return std::strerror(err);
    return {};
}

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
    std::fprintf(stderr, "vantorel-sim %.*s: cannot write to standard output: %s\n", static_cast<int>(job.size()),
                 job.data(), error.c_str());
    return exit_code != kExitSuccess ? exit_code : kExitOutputFailed;
}

}  // namespace vantorel_sim
