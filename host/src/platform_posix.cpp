// The library loader on POSIX systems: dlopen, dlsym, dlclose, dladdr.
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <cerrno>

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
        throw HostError("cannot load " + what + " '" + path + "': no such file");
    }
    if (!S_ISREG(sb.st_mode)) {
        throw HostError("cannot load " + what + " '" + path + "': not a regular file");
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

void* loaded_library(const char* name) {
    // RTLD_NOLOAD finds only a library already in the process; the extra
    // reference dlopen took is dropped at once.
    void* h = dlopen(name, RTLD_NOLOAD | RTLD_LAZY);
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
