// Runtime internals shared by the host's translation units.
#ifndef VANTOREL_HOST_INTERNAL_H
#define VANTOREL_HOST_INTERNAL_H

#include <cstdint>
#include <string>
#include <vector>

#include "../runtime/host_runtime.h"

namespace host::detail {

// Host handles carry their meaning in the pointer value: a tag, the kind, the
// creating vessel's index and the object's index. No allocation per handle,
// and a handle of a destroyed vessel decodes to a dead record instead of
// dangling memory. The tag makes the value a non-canonical address, so a
// module that dereferences one faults at once.
enum class Kind : unsigned {
    vessel = 1,
    mesh,
    airfoil,
    ctrlsurf,
    dragelem,
    propellant,
    thruster,
    thgroup,
    component,
};

static_assert(sizeof(void*) == 8, "handle encoding assumes 64-bit pointers");

constexpr std::uintptr_t kTag = 0xB;

inline void* encode(Kind k, std::uint32_t v, std::uint32_t n) {
    std::uintptr_t x = (kTag << 60) | (static_cast<std::uintptr_t>(k) << 52) |
                       (static_cast<std::uintptr_t>(v & 0xFFFFFFFu) << 24) | (n & 0xFFFFFFu);
    return reinterpret_cast<void*>(x);
}

struct Decoded {
    Kind kind;
    std::uint32_t v;
    std::uint32_t n;
};

inline bool decode(const void* h, Decoded& d) {
    auto x = reinterpret_cast<std::uintptr_t>(h);
    if ((x >> 60) != kTag) return false;
    unsigned k = static_cast<unsigned>((x >> 52) & 0xFFu);
    if (k < static_cast<unsigned>(Kind::vessel) || k > static_cast<unsigned>(Kind::component)) return false;
    d.kind = static_cast<Kind>(k);
    d.v = static_cast<std::uint32_t>((x >> 24) & 0xFFFFFFFu);
    d.n = static_cast<std::uint32_t>(x & 0xFFFFFFu);
    return true;
}

const char* kind_name(Kind k);

struct MeshEntry {
    std::string name;
    bool checked = false;
    bool exists = false;
};

struct KnownModule {
    void* instance;
    std::string file_name;
};

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
    double focus_heading = 0.0;
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

    // Living record for a vessel index, or null.
    VesselState* living(std::uint32_t v) {
        if (v >= vessels.size()) return nullptr;
        VesselState* s = vessels[v].get();
        return s->alive ? s : nullptr;
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

// The living record behind a handle of the given kind, with its object index.
inline VesselState* owner(const void* h, Kind k, std::uint32_t& n) {
    Decoded d;
    if (g_rt == nullptr || !decode(h, d) || d.kind != k) return nullptr;
    n = d.n;
    return g_rt->living(d.v);
}

void* own_symbol(void* dl, const char* name);

}  // namespace detail
}  // namespace host

#endif
