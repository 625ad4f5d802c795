#include "common/library_paths.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace vantorel_sim {

namespace {

std::string ExecutableDir() {
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    buf[n] = '\0';
    return std::filesystem::path(buf).parent_path().string();
}

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

std::string DefaultModulePath() { return LibraryPath("Vantorel.so"); }
std::string DefaultSoundLibraryPath() { return LibraryPath("OrbiterSound.dll"); }

}  // namespace vantorel_sim
