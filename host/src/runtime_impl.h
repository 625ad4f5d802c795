// The runtime's state, shared by the host's translation units, and the one
// look-up from a vessel index or handle to its living record.
#ifndef VANTOREL_HOST_RUNTIME_IMPL_H
#define VANTOREL_HOST_RUNTIME_IMPL_H

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/host_runtime.h"
#include "src/handles.h"

namespace host::detail {

struct MeshEntry {
    std::string name;
    bool checked = false;
    bool exists = false;
};

struct KnownModule {
    void* instance;
    std::string file_name;
};

// Misuse by a caller of Runtime: out of line and cold, so the calls that
// check stay small and never build a message on the ordinary path.
[[noreturn]] [[gnu::cold]] void throw_no_living_vessel(const char* what, int index);
[[noreturn]] [[gnu::cold]] void throw_never_created(const char* what, int index);
[[noreturn]] [[gnu::cold]] void throw_not_ready(const char* what, const char* reason);

}  // namespace host::detail

namespace host {

struct Runtime::Impl {
    std::vector<std::unique_ptr<VesselState>> vessels;

    // Vessel module.
    void* module_dl = nullptr;
    std::string module_path;
    std::string module_file;
    HINSTANCE module_instance = nullptr;
    ModuleEntryPoints entry;
    bool module_loaded = false;
    int module_version = 0;
    bool last_unload_complete = true;

    // Sound library.
    void* sound_dl = nullptr;
    std::string sound_path;

    std::vector<detail::KnownModule> known_modules;

    // Host state in force.
    double time_acc = 1.0;
    bool time_acc_pending = false;
    double time_acc_request = 1.0;
    bool camera_internal = false;
    bool has_focus_heading = true;
    double focus_heading_rad = 0.0;
    int focus = 0;
    int flight_model = 1;

    struct Key {
        DWORD code;
        bool down;
    };
    std::vector<Key> keys;

    std::string mesh_dir;
    std::vector<detail::MeshEntry> meshes;

    std::vector<AirfoilCoeffFunc> coeff_seen;

    bool has_date_override = false;
    int date_override = 0;

    bool in_callback = false;

    HINSTANCE init_lib_instance = nullptr;

    // Living record for a vessel index, or null (never created, or destroyed).
    VesselState* living(std::uint32_t v) noexcept {
        if (v >= vessels.size()) return nullptr;
        VesselState* s = vessels[v].get();
        return s->alive ? s : nullptr;
    }

    // The same for an index a caller passed; anything but a living vessel is
    // a HostError naming the call and the index.
    VesselState& living_or_throw(const char* what, int index) {
        VesselState* v = index >= 0 ? living(static_cast<std::uint32_t>(index)) : nullptr;
        if (v == nullptr) [[unlikely]]
            detail::throw_no_living_vessel(what, index);
        return *v;
    }

    // Calls that run module code need a module and must not nest in a callback.
    void require_module(const char* what) const {
        if (!module_loaded) [[unlikely]]
            detail::throw_not_ready(what, "no vessel module is loaded");
        require_outside_callback(what);
    }

    // Readings, settings and the frame change between frames only: changed
    // inside a callback, the vessels of one frame would see different values.
    void require_outside_callback(const char* what) const {
        if (in_callback) [[unlikely]]
            detail::throw_not_ready(what, "called from inside a module callback");
    }

    int coeff_index(AirfoilCoeffFunc f);
    MESHHANDLE load_mesh(const char* name);
    std::string module_name(const void* instance) const;
    const std::string* mesh_name(const void* mesh) const;
};

namespace detail {

// The living runtime's state, or null. The VESSEL members and oapi functions
// act on it.
extern Runtime::Impl* g_rt;

// The living record behind a vessel handle: one decode, one look-up.
inline VesselState* vessel_of(const void* h) noexcept {
    Decoded d;
    if (g_rt == nullptr || !decode(h, d) || d.kind != Kind::vessel) return nullptr;
    return g_rt->living(d.v);
}

// The handle of a vessel's n-th object of a kind.
inline void* handle_for(Kind k, const VesselState& v, std::size_t n) noexcept {
    return encode(k, static_cast<std::uint32_t>(v.index), static_cast<std::uint32_t>(n));
}

// The living record behind a handle of the given kind, with its object index.
inline VesselState* owner(const void* h, Kind k, std::uint32_t& n) noexcept {
    Decoded d;
    if (g_rt == nullptr || !decode(h, d) || d.kind != k) return nullptr;
    n = d.n;
    return g_rt->living(d.v);
}

}  // namespace detail
}  // namespace host

#endif
