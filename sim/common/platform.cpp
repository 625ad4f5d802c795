#include "common/platform.h"

#include <cerrno>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

namespace vantorel_sim::platform {

#ifdef _WIN32

bool IsTerminal(std::FILE* stream) { return ::_isatty(::_fileno(stream)) != 0; }

void SetBinaryMode(std::FILE* stream) { ::_setmode(::_fileno(stream), _O_BINARY); }

int WriteAccess(const std::string& path, bool) { return ::_access(path.c_str(), 2) == 0 ? 0 : errno; }

long ProcessId() { return ::_getpid(); }

int CloseDuplicate(std::FILE* stream) {
    const int fd = ::_dup(::_fileno(stream));
    if (fd < 0) return 0;  // no descriptor: the stream's own error says more
    return ::_close(fd) == 0 ? 0 : errno;
}

#else

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

void SetBinaryMode(std::FILE*) {}

int WriteAccess(const std::string& path, bool folder) {
    return ::access(path.c_str(), folder ? W_OK | X_OK : W_OK) == 0 ? 0 : errno;
}

long ProcessId() { return static_cast<long>(::getpid()); }

int CloseDuplicate(std::FILE* stream) {
    const int fd = ::dup(::fileno(stream));
    if (fd < 0) return 0;  // no descriptor: the stream's own error says more
    return ::close(fd) == 0 ? 0 : errno;
}

#endif

}  // namespace vantorel_sim::platform
