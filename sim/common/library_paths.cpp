#include "common/library_paths.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <filesystem>
#include <system_error>

namespace vantorel_sim {

namespace {

#ifdef _WIN32

std::string ExecutableDir() {
    char buf[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, buf, sizeof buf);
    if (n == 0 || n >= sizeof buf) return {};
    return std::filesystem::path(std::string(buf, n)).parent_path().string();
}

constexpr const char* kModuleFile = "Vantorel.dll";

#else

std::string ExecutableDir() {
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    buf[n] = '\0';
    return std::filesystem::path(buf).parent_path().string();
}

constexpr const char* kModuleFile = "Vantorel.so";

#endif

}  // namespace

std::string LibraryPath(const char* file) {
    std::error_code ec;
    const std::string dir = ExecutableDir();
    if (!dir.empty()) {
        const std::filesystem::path p = std::filesystem::path(dir) / ".." / "lib" / file;
        if (std::filesystem::is_regular_file(p, ec)) return p.lexically_normal().string();
    }
    return (std::filesystem::path(VANTOREL_SIM_LIB_DIR) / file).string();
}

std::string DefaultModulePath() { return LibraryPath(kModuleFile); }
std::string DefaultSoundLibraryPath() { return LibraryPath("OrbiterSound.dll"); }

}  // namespace vantorel_sim
