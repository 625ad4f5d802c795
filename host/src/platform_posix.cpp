// The library loader on POSIX systems: dlopen, dlsym, dlclose, dladdr.
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "runtime/host_runtime.h"
#include "src/platform.h"

namespace host::platform {

namespace {

// dlopen treats a name without a slash as a library to search for; the
// host loads files.
std::string as_file_path(const std::string& path) {
    return path.find('/') == std::string::npos ? "./" + path : path;
}

std::string file_name_of(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void* open_library(const std::string& what, const std::string& path) {
    struct stat sb;
    if (path.empty() || ::stat(path.c_str(), &sb) != 0) {
        // ENOTDIR: a part of the path before the name is a file, not a folder.
        const std::string reason = path.empty() || errno == ENOENT ? "no such file"
                                   : errno == ENOTDIR               ? "no such file (a part of the path is not a folder)"
                                                                    : std::strerror(errno);
        throw HostError("cannot load " + what + " '" + path + "': " + reason);
    }
    if (!S_ISREG(sb.st_mode)) {
        throw HostError("cannot load " + what + " '" + path + "': " +
                        (S_ISDIR(sb.st_mode) ? "a folder, not a regular file" : "not a regular file"));
    }
    dlerror();
    void* dl = dlopen(as_file_path(path).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (dl == nullptr) {
        const char* err = dlerror();
        throw HostError("cannot load " + what + " '" + path + "': not a loadable library (" +
                        (err != nullptr ? err : "unknown dlopen error") + ")");
    }
    return dl;
}

void close_library(void* library) { dlclose(library); }

bool library_gone(const std::string& path) {
    void* again = dlopen(as_file_path(path).c_str(), RTLD_NOLOAD | RTLD_LAZY);
    if (again == nullptr) return true;
    dlclose(again);
    return false;
}

void* program_library() { return dlopen(nullptr, RTLD_LAZY); }

namespace {

bool same_file_name(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

// The path of the loaded library whose file name is name, or empty.
std::string loaded_path_named(const std::string& name) {
    struct Search {
        const std::string* name;
        std::string path;
    } search{&name, {}};
    dl_iterate_phdr(
        [](struct dl_phdr_info* info, std::size_t, void* data) {
            auto* s = static_cast<Search*>(data);
            if (info->dlpi_name == nullptr || info->dlpi_name[0] == '\0') return 0;
            if (!same_file_name(file_name_of(info->dlpi_name), *s->name)) return 0;
            s->path = info->dlpi_name;
            return 1;
        },
        &search);
    return search.path;
}

}  // namespace

// As Windows does: a name without a folder is a file name, compared without
// regard to case, ".dll" added when it has no extension; what the library
// calls itself inside (its soname) does not matter.
void* loaded_library(const char* name) {
    if (name == nullptr) return nullptr;
    std::string wanted = name;
    if (wanted.find('/') == std::string::npos) {
        if (wanted.find('.') == std::string::npos) wanted += ".dll";
        wanted = loaded_path_named(wanted);
        if (wanted.empty()) return nullptr;
    }
    // RTLD_NOLOAD finds only a library already in the process; the extra
    // reference dlopen took is dropped at once.
    void* h = dlopen(wanted.c_str(), RTLD_NOLOAD | RTLD_LAZY);
    if (h != nullptr) dlclose(h);
    return h;
}

// dlsym searches a library's dependencies too; Windows looks only at the
// module's own exports, so a symbol found elsewhere does not count.
void* own_symbol(void* library, const char* name) {
    if (library == nullptr || name == nullptr) return nullptr;
    dlerror();
    void* sym = dlsym(library, name);
    if (sym == nullptr) return nullptr;
    struct link_map* lib = nullptr;
    if (dlinfo(library, RTLD_DI_LINKMAP, &lib) != 0 || lib == nullptr) return nullptr;
    Dl_info info;
    struct link_map* found = nullptr;
    if (dladdr1(sym, &info, reinterpret_cast<void**>(&found), RTLD_DL_LINKMAP) == 0) return nullptr;
    return found == lib ? sym : nullptr;
}

std::string library_file_name(const void* library) {
    struct link_map* lm = nullptr;
    if (dlinfo(const_cast<void*>(library), RTLD_DI_LINKMAP, &lm) == 0 && lm != nullptr && lm->l_name != nullptr && lm->l_name[0] != '\0') {
        return file_name_of(lm->l_name);
    }
    return program_invocation_short_name;
}

}  // namespace host::platform
