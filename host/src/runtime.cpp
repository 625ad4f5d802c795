// The runtime: module loading, vessel lifecycle, frames and readings.
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "internal.h"
#include "trace_format.h"
#include "trace_state.h"

#ifndef VANTOREL_HOST_ASSET_DIR
#define VANTOREL_HOST_ASSET_DIR "assets"
#endif

namespace host {

namespace detail {
Runtime::Impl* g_rt = nullptr;
}

namespace {

Runtime* g_runtime = nullptr;

std::string file_name_of(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// dlopen treats a name without a slash as a library to search for; the
// host loads files.
std::string as_file_path(const std::string& path) {
    return path.find('/') == std::string::npos ? "./" + path : path;
}

template <class F>
F entry_cast(void* p) {
    F f;
    static_assert(sizeof f == sizeof p);
    std::memcpy(&f, &p, sizeof f);
    return f;
}

// Marks whose callback is running: the trace's "vessel" field, and the
// vessel that oapi functions such as oapiVCRegisterHUD belong to.
class VesselScope {
public:
    VesselScope(Runtime::Impl& rt, int vessel) : rt_(rt), prev_(trace::vessel()), prev_in_(rt.in_callback) {
        trace::set_vessel(vessel);
        rt_.in_callback = true;
    }
    ~VesselScope() {
        trace::set_vessel(prev_);
        rt_.in_callback = prev_in_;
    }
    VesselScope(const VesselScope&) = delete;
    VesselScope& operator=(const VesselScope&) = delete;

private:
    Runtime::Impl& rt_;
    int prev_;
    bool prev_in_;
};

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

// True when the library at path is no longer mapped into the process.
bool gone_from_process(const std::string& path) {
    void* again = dlopen(as_file_path(path).c_str(), RTLD_NOLOAD | RTLD_LAZY);
    if (again == nullptr) return true;
    dlclose(again);
    return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// Impl helpers
// ---------------------------------------------------------------------------

int Runtime::Impl::coeff_index(AirfoilCoeffFunc f) {
    for (std::size_t i = 0; i < coeff_seen.size(); ++i) {
        if (coeff_seen[i] == f) return static_cast<int>(i);
    }
    coeff_seen.push_back(f);
    return static_cast<int>(coeff_seen.size() - 1);
}

std::string Runtime::Impl::module_name(const void* instance) const {
    for (const auto& m : known_modules) {
        if (m.instance == instance) return m.file_name;
    }
    struct link_map* lm = nullptr;
    if (dlinfo(const_cast<void*>(instance), RTLD_DI_LINKMAP, &lm) == 0 && lm != nullptr && lm->l_name != nullptr &&
        lm->l_name[0] != '\0') {
        return file_name_of(lm->l_name);
    }
    return program_invocation_short_name;
}

const std::string* Runtime::Impl::mesh_name(const void* mesh) const {
    detail::Decoded d;
    if (!detail::decode(mesh, d) || d.kind != detail::Kind::mesh || d.n >= meshes.size()) return nullptr;
    return &meshes[d.n].name;
}

MESHHANDLE Runtime::Impl::load_mesh(const char* name) {
    std::size_t i = 0;
    while (i < meshes.size() && meshes[i].name != name) ++i;
    if (i == meshes.size()) meshes.push_back(detail::MeshEntry{name, false, false});
    detail::MeshEntry& m = meshes[i];
    if (!m.checked) {
        std::string rel = m.name;
        for (char& c : rel) {
            if (c == '\\') c = '/';
        }
        std::error_code ec;
        m.exists = std::filesystem::is_regular_file(mesh_dir + "/Meshes/" + rel + ".msh", ec);
        m.checked = true;
    }
    return m.exists ? detail::encode(detail::Kind::mesh, 0, static_cast<std::uint32_t>(i)) : nullptr;
}

// ---------------------------------------------------------------------------
// Construction
// ---------------------------------------------------------------------------

Runtime::Runtime() {
    if (detail::g_rt != nullptr) throw HostError("host::Runtime: another runtime is alive in this process");
    impl_ = std::make_unique<Impl>();
    impl_->mesh_dir = VANTOREL_HOST_ASSET_DIR;
    impl_->keys.reserve(64);
    detail::g_rt = impl_.get();
    g_runtime = this;
    trace::set_frame(0);
    trace::set_vessel(-1);
}

Runtime::~Runtime() {
    try {
        destroy_all_vessels();
        if (impl_->module_loaded) unload_module();
        unload_sound_library();
    } catch (const std::exception&) {
        // A destructor cannot report; the process is going down anyway.
    }
    trace::flush();
    trace::set_vessel(-1);
    detail::g_rt = nullptr;
    g_runtime = nullptr;
}

Runtime* Runtime::current() { return g_runtime; }

// ---------------------------------------------------------------------------
// Sound library
// ---------------------------------------------------------------------------

void Runtime::load_sound_library(const std::string& path) {
    Impl& rt = *impl_;
    if (rt.sound_dl != nullptr) {
        throw HostError("load_sound_library('" + path + "'): a sound library is already loaded ('" +
                        rt.sound_path + "')");
    }
    if (!living().empty()) {
        throw HostError("load_sound_library('" + path + "'): plug-ins load before any vessel is created");
    }
    rt.sound_dl = open_library("sound library", path);
    rt.sound_path = path;
}

void Runtime::unload_sound_library() {
    Impl& rt = *impl_;
    if (rt.sound_dl == nullptr) return;
    if (!living().empty()) {
        throw HostError("unload_sound_library: vessels are still alive and may hold its entries");
    }
    dlclose(rt.sound_dl);
    rt.sound_dl = nullptr;
    rt.sound_path.clear();
}

bool Runtime::sound_library_loaded() const { return impl_->sound_dl != nullptr; }

// ---------------------------------------------------------------------------
// Module
// ---------------------------------------------------------------------------

namespace {

void attach(Runtime::Impl& rt) {
    rt.module_loaded = true;
    rt.module_version = 0;
    VesselScope none(rt, -1);
    if (rt.entry.dll_main != nullptr) {
        BOOL r = rt.entry.dll_main(rt.module_instance, DLL_PROCESS_ATTACH, nullptr);
        if (trace::active()) [[unlikely]]
            trace::Call("DllMain").module(rt.module_instance).integer(DLL_PROCESS_ATTACH).null().result().integer(r).end();
    }
    if (rt.entry.get_module_version != nullptr) {
        int v = rt.entry.get_module_version();
        if (trace::active()) [[unlikely]]
            trace::Call("GetModuleVersion").result().integer(v).end();
        rt.module_version = v;
    }
}

}  // namespace

void Runtime::load_module(const std::string& path) {
    Impl& rt = *impl_;
    if (rt.module_loaded) {
        throw HostError("cannot load module '" + path + "': module '" + rt.module_file + "' is already loaded");
    }
    void* dl = open_library("module", path);
    ModuleEntryPoints e;
    e.ovc_init = entry_cast<VESSEL* (*)(OBJHANDLE, int)>(detail::own_symbol(dl, "ovcInit"));
    if (e.ovc_init == nullptr) {
        dlclose(dl);
        throw HostError("cannot load module '" + path + "': it exports no ovcInit");
    }
    e.ovc_exit = entry_cast<void (*)(VESSEL*)>(detail::own_symbol(dl, "ovcExit"));
    e.get_module_version = entry_cast<int (*)()>(detail::own_symbol(dl, "GetModuleVersion"));
    e.dll_main = entry_cast<BOOL (*)(HINSTANCE, DWORD, LPVOID)>(detail::own_symbol(dl, "DllMain"));

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
    void* self = dlopen(nullptr, RTLD_LAZY);
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
        VesselScope none(rt, -1);
        if (rt.entry.dll_main != nullptr) {
            BOOL r = rt.entry.dll_main(rt.module_instance, DLL_PROCESS_DETACH, nullptr);
            if (trace::active()) [[unlikely]]
                trace::Call("DllMain").module(rt.module_instance).integer(DLL_PROCESS_DETACH).null().result().integer(r).end();
        }
    }
    for (std::size_t i = 0; i < rt.known_modules.size(); ++i) {
        if (rt.known_modules[i].instance == rt.module_dl) {
            rt.known_modules.erase(rt.known_modules.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    dlclose(rt.module_dl);
    // A statically linked module never leaves the process.
    rt.last_unload_complete = !rt.module_path.empty() && gone_from_process(rt.module_path);
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

// ---------------------------------------------------------------------------
// Vessels
// ---------------------------------------------------------------------------

namespace {

VesselState& living_or_throw(Runtime::Impl& rt, const char* what, int index) {
    VesselState* v = index >= 0 ? rt.living(static_cast<std::uint32_t>(index)) : nullptr;
    if (v == nullptr) {
        throw HostError(std::string(what) + "(" + std::to_string(index) + "): no living vessel with this index");
    }
    return *v;
}

// A dead vessel keeps its scalars (references to its record stay valid) but
// hands back every vector's storage: long sessions create vessels by the
// hundred thousand.
template <class T>
void release(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

void release_definition(VesselState& v) {
    v.alive = false;
    v.object = nullptr;
    release(v.airfoils);
    release(v.control_surfaces);
    release(v.drag_elements);
    release(v.propellants);
    release(v.thrusters);
    release(v.thruster_groups);
    release(v.beacons);
    release(v.meshes);
    release(v.animations);
    release(v.components);
    release(v.mfds);
    release(v.forces);
    release(v.drag_vars_seen);
    v.hud.reset();
    v.hud_address = nullptr;
}

void require_module(Runtime::Impl& rt, const char* what) {
    if (!rt.module_loaded) throw HostError(std::string(what) + ": no vessel module is loaded");
    if (rt.in_callback) throw HostError(std::string(what) + ": called from inside a module callback");
}

}  // namespace

int Runtime::create_vessel() {
    Impl& rt = *impl_;
    require_module(rt, "create_vessel");
    int index = static_cast<int>(rt.vessels.size());
    auto rec = std::make_unique<VesselState>();
    rec->index = index;
    rec->alive = true;
    rec->handle = detail::encode(detail::Kind::vessel, static_cast<std::uint32_t>(index), 0);
    rec->flight_model = rt.flight_model;
    // Room for the forces of a frame, so a step does not grow it.
    rec->forces.reserve(32);
    VesselState& v = *rec;
    rt.vessels.push_back(std::move(rec));

    VesselScope scope(rt, index);
    VESSEL* p = rt.entry.ovc_init(v.handle, v.flight_model);
    if (trace::active()) [[unlikely]] {
        trace::Call c("ovcInit");
        c.handle(v.handle).integer(v.flight_model).result();
        if (p != nullptr) {
            c.handle(v.handle);
        } else {
            c.null();
        }
        c.end();
    }
    if (p == nullptr) {
        release_definition(v);
        throw HostError("create_vessel: ovcInit returned null for vessel " + std::to_string(index));
    }
    OBJHANDLE given = nullptr;
    {
        trace::Pause quiet;
        given = p->GetHandle();
    }
    if (p->Version() != 2 || given != v.handle) {
        if (rt.entry.ovc_exit != nullptr) rt.entry.ovc_exit(p);
        release_definition(v);
        throw HostError("create_vessel: ovcInit of vessel " + std::to_string(index) +
                        (p->Version() != 2 ? " returned no VESSEL2 object" : " built its object on another handle"));
    }
    v.object = static_cast<VESSEL2*>(p);
    v.object->clbkSetClassCaps(nullptr);
    if (trace::active()) [[unlikely]]
        trace::Call("clbkSetClassCaps").null().end();
    v.object->clbkPostCreation();
    if (trace::active()) [[unlikely]]
        trace::Call("clbkPostCreation").end();
    return index;
}

void Runtime::destroy_vessel(int index) {
    Impl& rt = *impl_;
    require_module(rt, "destroy_vessel");
    VesselState& v = living_or_throw(rt, "destroy_vessel", index);
    {
        VesselScope scope(rt, index);
        if (rt.entry.ovc_exit != nullptr) rt.entry.ovc_exit(static_cast<VESSEL*>(v.object));
        if (trace::active()) [[unlikely]]
            trace::Call("ovcExit").handle(v.handle).end();
    }
    release_definition(v);
}

void Runtime::destroy_all_vessels() {
    for (int i : living()) destroy_vessel(i);
}

int Runtime::vessels_created() const { return static_cast<int>(impl_->vessels.size()); }

bool Runtime::alive(int index) const {
    return index >= 0 && impl_->living(static_cast<std::uint32_t>(index)) != nullptr;
}

std::vector<int> Runtime::living() const {
    std::vector<int> out;
    for (const auto& v : impl_->vessels) {
        if (v->alive) out.push_back(v->index);
    }
    return out;
}

const VesselState& Runtime::vessel(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= impl_->vessels.size()) {
        throw HostError("vessel(" + std::to_string(index) + "): no vessel was created with this index");
    }
    return *impl_->vessels[static_cast<std::size_t>(index)];
}

VESSEL2* Runtime::object(int index) const { return living_or_throw(*impl_, "object", index).object; }

int Runtime::index_of(OBJHANDLE vessel_handle) const {
    detail::Decoded d;
    if (!detail::decode(vessel_handle, d) || d.kind != detail::Kind::vessel || d.n != 0 ||
        d.v >= impl_->vessels.size()) {
        return -1;
    }
    return static_cast<int>(d.v);
}

// ---------------------------------------------------------------------------
// Frames
// ---------------------------------------------------------------------------

void Runtime::set_frame(std::int64_t frame) { trace::set_frame(frame); }
std::int64_t Runtime::frame() const { return trace::frame(); }

void Runtime::begin_frame() {
    Impl& rt = *impl_;
    require_module(rt, "begin_frame");
    trace::set_frame(trace::frame() + 1);
    if (rt.time_acc_pending) {
        rt.time_acc = rt.time_acc_request;
        rt.time_acc_pending = false;
    }
    for (auto& v : rt.vessels) {
        if (v->alive) v->forces.clear();
    }
}

void Runtime::step(double simt_s, double simdt_s, double mjd) {
    Impl& rt = *impl_;
    require_module(rt, "step");
    if (!rt.keys.empty()) {
        VesselState* f = rt.focus >= 0 ? rt.living(static_cast<std::uint32_t>(rt.focus)) : nullptr;
        if (f != nullptr) {
            VesselScope scope(rt, f->index);
            for (const Impl::Key& k : rt.keys) {
                int r = f->object->clbkConsumeBufferedKey(k.code, k.down, nullptr);
                if (trace::active()) [[unlikely]]
                    trace::Call("clbkConsumeBufferedKey").integer(k.code).boolean(k.down).null().result().integer(r).end();
            }
        }
        rt.keys.clear();
    }
    for (std::size_t i = 0; i < rt.vessels.size(); ++i) {
        VesselState& v = *rt.vessels[i];
        if (!v.alive) continue;
        VesselScope scope(rt, v.index);
        v.object->clbkPostStep(simt_s, simdt_s, mjd);
        if (trace::active()) [[unlikely]]
            trace::Call("clbkPostStep").num(simt_s).num(simdt_s).num(mjd).end();
    }
}

void Runtime::run_frame(double simt_s, double simdt_s, double mjd) {
    begin_frame();
    step(simt_s, simdt_s, mjd);
}

void Runtime::queue_key(DWORD code, bool down) { impl_->keys.push_back(Impl::Key{code, down}); }

bool Runtime::load_vc(int index, int id) {
    Impl& rt = *impl_;
    require_module(rt, "load_vc");
    VesselState& v = living_or_throw(rt, "load_vc", index);
    VesselScope scope(rt, index);
    bool r = v.object->clbkLoadVC(id);
    if (trace::active()) [[unlikely]]
        trace::Call("clbkLoadVC").integer(id).result().boolean(r).end();
    return r;
}

// ---------------------------------------------------------------------------
// Readings
// ---------------------------------------------------------------------------

#define VANTOREL_READING(name, type, field)                                  \
    void Runtime::name(type value) {                                         \
        for (auto& v : impl_->vessels) {                                     \
            if (v->alive) v->field = value;                                  \
        }                                                                    \
    }                                                                        \
    void Runtime::name(int index, type value) { living_or_throw(*impl_, #name, index).field = value; }

VANTOREL_READING(set_airspeed_mps, double, airspeed_mps)
VANTOREL_READING(set_altitude_m, double, altitude_m)
VANTOREL_READING(set_aoa_rad, double, aoa_rad)
VANTOREL_READING(set_bank_rad, double, bank_rad)
VANTOREL_READING(set_ground_contact, bool, ground_contact)

#undef VANTOREL_READING

void Runtime::set_thruster_level(double level) {
    for (auto& v : impl_->vessels) {
        if (!v->alive) continue;
        for (auto& t : v->thrusters) t.level = level;
    }
}

void Runtime::set_thruster_level(int index, std::size_t thruster, double level) {
    VesselState& v = living_or_throw(*impl_, "set_thruster_level", index);
    if (thruster >= v.thrusters.size()) {
        throw HostError("set_thruster_level(" + std::to_string(index) + ", " + std::to_string(thruster) +
                        "): the vessel has " + std::to_string(v.thrusters.size()) + " thruster(s)");
    }
    v.thrusters[thruster].level = level;
}

void Runtime::set_control_surface_level(AIRCTRL_TYPE type, double level) {
    if (type < 0 || type > 5) throw HostError("set_control_surface_level: type " + std::to_string(type) + " is not 0..5");
    for (auto& v : impl_->vessels) {
        if (v->alive) v->ctrl_level[type] = level;
    }
}

void Runtime::set_control_surface_level(int index, AIRCTRL_TYPE type, double level) {
    if (type < 0 || type > 5) throw HostError("set_control_surface_level: type " + std::to_string(type) + " is not 0..5");
    living_or_throw(*impl_, "set_control_surface_level", index).ctrl_level[type] = level;
}

void Runtime::set_fuel_mass_kg(double kg) {
    for (auto& v : impl_->vessels) {
        if (v->alive && !v->propellants.empty()) v->propellants[0].mass_kg = kg;
    }
}

void Runtime::set_fuel_mass_kg(int index, double kg) {
    VesselState& v = living_or_throw(*impl_, "set_fuel_mass_kg", index);
    if (v.propellants.empty()) {
        throw HostError("set_fuel_mass_kg(" + std::to_string(index) + "): the vessel has no propellant resource");
    }
    v.propellants[0].mass_kg = kg;
}

void Runtime::set_propellant_mass_kg(int index, std::size_t propellant, double kg) {
    VesselState& v = living_or_throw(*impl_, "set_propellant_mass_kg", index);
    if (propellant >= v.propellants.size()) {
        throw HostError("set_propellant_mass_kg(" + std::to_string(index) + ", " + std::to_string(propellant) +
                        "): the vessel has " + std::to_string(v.propellants.size()) + " propellant resource(s)");
    }
    v.propellants[propellant].mass_kg = kg;
}

void Runtime::set_time_acceleration(double factor) {
    impl_->time_acc = factor;
    impl_->time_acc_pending = false;
}

double Runtime::time_acceleration() const { return impl_->time_acc; }

double Runtime::next_time_acceleration() const {
    return impl_->time_acc_pending ? impl_->time_acc_request : impl_->time_acc;
}

void Runtime::set_camera_internal(bool internal) { impl_->camera_internal = internal; }

void Runtime::set_focus_heading_rad(std::optional<double> heading) {
    impl_->has_focus_heading = heading.has_value();
    impl_->focus_heading = heading.value_or(0.0);
}

void Runtime::set_focus(int index) {
    living_or_throw(*impl_, "set_focus", index);
    impl_->focus = index;
}

int Runtime::focus() const { return impl_->focus; }

void Runtime::set_flight_model(int level) {
    impl_->flight_model = level;
    for (auto& v : impl_->vessels) {
        if (v->alive) v->flight_model = level;
    }
}

// ---------------------------------------------------------------------------
// Meshes
// ---------------------------------------------------------------------------

void Runtime::set_mesh_dir(const std::string& dir) {
    impl_->mesh_dir = dir;
    for (auto& m : impl_->meshes) m.checked = false;
}

const std::string& Runtime::mesh_dir() const { return impl_->mesh_dir; }

std::string Runtime::mesh_name(MESHHANDLE mesh) const {
    const std::string* n = impl_->mesh_name(mesh);
    return n != nullptr ? *n : std::string();
}

// ---------------------------------------------------------------------------
// Flight-model support
// ---------------------------------------------------------------------------

namespace {

int handle_index(const void* h, detail::Kind kind) {
    detail::Decoded d;
    if (!detail::decode(h, d) || d.kind != kind) return -1;
    return static_cast<int>(d.n);
}

}  // namespace

int Runtime::thruster_index(THRUSTER_HANDLE th) const { return handle_index(th, detail::Kind::thruster); }

int Runtime::propellant_index(PROPELLANT_HANDLE ph) const { return handle_index(ph, detail::Kind::propellant); }

void Runtime::airfoil_coefficients(int index, std::size_t airfoil, double aoa_rad, double mach, double reynolds,
                                   double* cl, double* cm, double* cd) {
    Impl& rt = *impl_;
    VesselState& v = living_or_throw(rt, "airfoil_coefficients", index);
    if (airfoil >= v.airfoils.size() || v.airfoils[airfoil].coeff == nullptr) {
        throw HostError("airfoil_coefficients(" + std::to_string(index) + ", " + std::to_string(airfoil) +
                        "): no airfoil with a coefficient function at this index");
    }
    if (cl == nullptr || cm == nullptr || cd == nullptr) {
        throw HostError("airfoil_coefficients: null output address");
    }
    AirfoilCoeffFunc f = v.airfoils[airfoil].coeff;
    VesselScope scope(rt, index);
    f(aoa_rad, mach, reynolds, cl, cm, cd);
    if (trace::active()) [[unlikely]] {
        std::string name = "coeff:" + std::to_string(rt.coeff_index(f));
        trace::Call(name.c_str())
            .num(aoa_rad)
            .num(mach)
            .num(reynolds)
            .result()
            .begin_array()
            .num(*cl)
            .num(*cm)
            .num(*cd)
            .end_array()
            .end();
    }
}

// ---------------------------------------------------------------------------
// State events
// ---------------------------------------------------------------------------

void Runtime::write_state_event(int index) {
    Impl& rt = *impl_;
    const VesselState& v = living_or_throw(rt, "write_state_event", index);
    if (!trace::detail::sink_present()) return;
    std::string& b = trace::detail::state().buf;
    b += "{\"frame\": ";
    detail::put_int(b, trace::frame());
    b += ", \"vessel\": ";
    detail::put_int(b, v.index);
    b += ", \"state\": {\"anim\": [";
    for (std::size_t i = 0; i < v.animations.size(); ++i) {
        if (i) b += ", ";
        detail::put_double(b, v.animations[i].state);
    }
    b += "], \"drag\": [";
    for (std::size_t i = 0; i < v.drag_elements.size(); ++i) {
        if (i) b += ", ";
        if (v.drag_elements[i].var != nullptr) {
            detail::put_double(b, *v.drag_elements[i].var);
        } else {
            b += "null";
        }
    }
    b += "], \"beacons\": [";
    for (std::size_t i = 0; i < v.beacons.size(); ++i) {
        if (i) b += ", ";
        b += v.beacons[i] == nullptr ? "null" : v.beacons[i]->active ? "true" : "false";
    }
    b += "], \"touchdown\": [";
    for (int i = 0; i < 3; ++i) {
        if (i) b += ", ";
        detail::put_vec(b, v.touchdown_m[i]);
    }
    b += "], \"cw\": [";
    for (int i = 0; i < 4; ++i) {
        if (i) b += ", ";
        detail::put_double(b, v.cw[i]);
    }
    b += "], \"thrust_max\": [";
    for (std::size_t i = 0; i < v.thrusters.size(); ++i) {
        if (i) b += ", ";
        detail::put_double(b, v.thrusters[i].max_thrust0_n);
    }
    b += "], \"ctrl\": [";
    for (int i = 0; i < 6; ++i) {
        if (i) b += ", ";
        detail::put_double(b, v.ctrl_level[i]);
    }
    b += "], \"camera_offset\": ";
    detail::put_vec(b, v.camera_offset_m);
    b += ", \"fuel\": ";
    if (v.propellants.empty()) {
        b += "null";
    } else {
        detail::put_double(b, v.propellants[0].mass_kg);
    }
    b += ", \"time_acc\": ";
    detail::put_double(b, next_time_acceleration());
    b += ", \"meshes\": [";
    for (std::size_t i = 0; i < v.meshes.size(); ++i) {
        if (i) b += ", ";
        b += '[';
        detail::put_handle(b, v.meshes[i].mesh);
        b += ", ";
        detail::put_int(b, v.meshes[i].visibility);
        b += ']';
    }
    b += "]}}\n";
    trace::detail::finish_event();
}

// ---------------------------------------------------------------------------
// Test hooks
// ---------------------------------------------------------------------------

void Runtime::set_date2int_override(std::optional<int> value) {
    impl_->has_date_override = value.has_value();
    impl_->date_override = value.value_or(0);
}

}  // namespace host
