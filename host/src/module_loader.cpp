// The vessel module: loading (or adopting one linked into the program),
// DllMain and GetModuleVersion, unloading, and the names modules go by in
// the trace.
#include <cstring>

#include "src/platform.h"
#include "src/runtime_impl.h"
#include "src/vessel_scope.h"

namespace host {

namespace {

#if defined(_WIN32)
constexpr const char* kPathSeparators = "/\\";
#else
constexpr const char* kPathSeparators = "/";
#endif

std::string file_name_of(const std::string& path) {
    auto slash = path.find_last_of(kPathSeparators);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

template <class F>
F entry_cast(void* p) {
    F f;
    static_assert(sizeof f == sizeof p);
    std::memcpy(&f, &p, sizeof f);
    return f;
}

void call_dll_main(Runtime::Impl& rt, DWORD reason) {
    if (rt.entry.dll_main == nullptr) return;
    BOOL r = rt.entry.dll_main(rt.module_instance, reason, nullptr);
    if (trace::active()) [[unlikely]]
        trace::Call("DllMain").module(rt.module_instance).integer(reason).null().result().integer(r).end();
}

void attach(Runtime::Impl& rt) {
    rt.module_loaded = true;
    rt.module_version = 0;
    detail::VesselScope none(rt, -1);
    call_dll_main(rt, DLL_PROCESS_ATTACH);
    if (rt.entry.get_module_version != nullptr) {
        int v = rt.entry.get_module_version();
        if (trace::active()) [[unlikely]]
            trace::Call("GetModuleVersion").result().integer(v).end();
        rt.module_version = v;
    }
}

void forget_known(Runtime::Impl& rt, const void* instance) {
    for (std::size_t i = 0; i < rt.known_modules.size(); ++i) {
        if (rt.known_modules[i].instance == instance) {
            rt.known_modules.erase(rt.known_modules.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

}  // namespace

std::string Runtime::Impl::module_name(const void* instance) const {
    for (const auto& m : known_modules) {
        if (m.instance == instance) return m.file_name;
    }
    return platform::library_file_name(instance);
}

void Runtime::load_module(const std::string& path) {
    Impl& rt = *impl_;
    if (rt.module_loaded) {
        throw HostError("cannot load module '" + path + "': module '" + rt.module_file + "' is already loaded");
    }
    void* dl = platform::open_library("module", path);
    ModuleEntryPoints e;
    e.ovc_init = entry_cast<VESSEL* (*)(OBJHANDLE, int)>(platform::own_symbol(dl, "ovcInit"));
    if (e.ovc_init == nullptr) {
        platform::close_library(dl);
        throw HostError("cannot load module '" + path + "': it exports no ovcInit");
    }
    e.ovc_exit = entry_cast<void (*)(VESSEL*)>(platform::own_symbol(dl, "ovcExit"));
    e.get_module_version = entry_cast<int (*)()>(platform::own_symbol(dl, "GetModuleVersion"));
    e.dll_main = entry_cast<BOOL (*)(HINSTANCE, DWORD, LPVOID)>(platform::own_symbol(dl, "DllMain"));

    rt.module_dl = dl;
    rt.module_path = path;
    rt.module_file = file_name_of(path);
    rt.module_instance = static_cast<HINSTANCE>(dl);
    rt.entry = e;
    rt.known_modules.push_back(detail::KnownModule{dl, rt.module_file});
    attach(rt);
}

void Runtime::adopt_module(const ModuleEntryPoints& entry, const std::string& file_name) {
    Impl& rt = *impl_;
    if (rt.module_loaded) {
        throw HostError("adopt_module('" + file_name + "'): module '" + rt.module_file + "' is already loaded");
    }
    if (entry.ovc_init == nullptr) throw HostError("adopt_module('" + file_name + "'): no ovcInit given");
    // The module lives in the program itself; its instance is the program's
    // handle, so GetProcAddress on it finds the program's exports.
    void* self = platform::program_library();
    rt.module_dl = self;
    rt.module_path.clear();
    rt.module_file = file_name;
    rt.module_instance = static_cast<HINSTANCE>(self);
    rt.entry = entry;
    rt.known_modules.push_back(detail::KnownModule{self, file_name});
    attach(rt);
}

void Runtime::unload_module() {
    Impl& rt = *impl_;
    if (!rt.module_loaded) throw HostError("unload_module: no module is loaded");
    if (rt.in_callback) throw HostError("unload_module: called from inside a module callback");
    std::size_t n = living().size();
    if (n != 0) {
        throw HostError("unload_module('" + rt.module_file + "'): " + std::to_string(n) + " vessel(s) still alive");
    }
    {
        detail::VesselScope none(rt, -1);
        call_dll_main(rt, DLL_PROCESS_DETACH);
    }
    forget_known(rt, rt.module_dl);
    platform::close_library(rt.module_dl);
    // A statically linked module never leaves the process.
    rt.last_unload_complete = !rt.module_path.empty() && platform::library_gone(rt.module_path);
    rt.module_dl = nullptr;
    rt.module_instance = nullptr;
    rt.module_loaded = false;
    rt.module_version = 0;
    rt.entry = ModuleEntryPoints{};
    rt.module_path.clear();
    rt.module_file.clear();
    rt.init_lib_instance = nullptr;
}

bool Runtime::module_loaded() const { return impl_->module_loaded; }
int Runtime::module_version() const { return impl_->module_version; }
HINSTANCE Runtime::module_instance() const { return impl_->module_instance; }
bool Runtime::last_unload_complete() const { return impl_->last_unload_complete; }

}  // namespace host
