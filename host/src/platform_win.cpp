// The library loader on Windows: LoadLibrary, GetProcAddress, FreeLibrary.
// The system loader calls each module's DLL entry itself, and the module finds
// its sound library with the kernel's own GetModuleHandleA and GetProcAddress.
#include <windows.h>

#include <cstring>

#include "runtime/host_runtime.h"
#include "src/platform.h"

namespace host::platform {

namespace {

std::string file_name_of(const std::string& path) {
    auto sep = path.find_last_of("/\\");
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

// LoadLibrary searches the system folders for a bare name; the host loads files.
std::string as_file_path(const std::string& path) {
    return path.find_first_of("/\\") == std::string::npos ? ".\\" + path : path;
}

// The loader compares full paths, spelled with backslashes.
std::string full_path(const std::string& path) {
    char buf[MAX_PATH];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof buf, buf, nullptr);
    if (n == 0 || n >= sizeof buf) return path;
    return std::string(buf, n);
}

std::string last_error_text() {
    DWORD code = GetLastError();
    char buf[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                             sizeof buf, nullptr);
    while (n > 0 && (buf[n - 1] == '\n' || buf[n - 1] == '\r' || buf[n - 1] == ' ' || buf[n - 1] == '.')) --n;
    if (n == 0) return "error " + std::to_string(code);
    return std::string(buf, n);
}

}  // namespace

void* open_library(const std::string& what, const std::string& path) {
    DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        throw HostError("cannot load " + what + " '" + path + "': no such file");
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw HostError("cannot load " + what + " '" + path + "': a folder, not a regular file");
    }
    // The library's own folder is searched for its dependencies as well.
    HMODULE dl = LoadLibraryExA(full_path(as_file_path(path)).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (dl == nullptr) {
        throw HostError("cannot load " + what + " '" + path + "': not a loadable library (" + last_error_text() + ")");
    }
    return dl;
}

void close_library(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

bool library_gone(const std::string& path) {
    return GetModuleHandleA(full_path(as_file_path(path)).c_str()) == nullptr;
}

void* program_library() { return GetModuleHandleA(nullptr); }

void* loaded_library(const char* name) { return GetModuleHandleA(name); }

// GetProcAddress looks only at the library's own exports.
void* own_symbol(void* library, const char* name) {
    if (library == nullptr || name == nullptr) return nullptr;
    FARPROC proc = GetProcAddress(static_cast<HMODULE>(library), name);
    void* sym = nullptr;
    static_assert(sizeof sym == sizeof proc);
    std::memcpy(&sym, &proc, sizeof sym);
    return sym;
}

std::string library_file_name(const void* library) {
    char buf[MAX_PATH];
    HMODULE module = static_cast<HMODULE>(const_cast<void*>(library));
    DWORD n = GetModuleFileNameA(module, buf, sizeof buf);
    if (n == 0 || n >= sizeof buf) return "?";
    return file_name_of(std::string(buf, n));
}

}  // namespace host::platform
