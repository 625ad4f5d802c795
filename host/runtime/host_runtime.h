// The stand-in host runtime: plays the simulator's part for a vessel module.
// It loads the module, creates and destroys vessels of its class, runs frames,
// answers every VESSEL member and oapi function, and keeps per vessel what the
// module defined so that tests and tools can read it back.
//
// One Runtime exists at a time (the oapi functions are global); constructing a
// second while one is alive throws. Destroying it destroys the living vessels,
// unloads the module and the sound library.
#ifndef VANTOREL_HOST_RUNTIME_H
#define VANTOREL_HOST_RUNTIME_H

#include <Orbitersdk.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "trace.h"

namespace host {

// Everything the host refuses: bad module paths, calls out of order, unknown
// vessel indices. The message names what and where.
class OAPIFUNC HostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// ---------------------------------------------------------------------------
// What the host keeps per vessel (read-only to callers)
// ---------------------------------------------------------------------------

struct AirfoilRec {
    AIRFOIL_ORIENTATION orientation;
    VECTOR3 ref_m;
    AirfoilCoeffFunc coeff;
    double chord_m;
    double area_m2;
    double aspect;
};

struct ControlSurfaceRec {
    AIRCTRL_TYPE type;
    double area_m2;
    double dcl;
    VECTOR3 ref_m;
    int axis;
    UINT anim;
};

struct DragElementRec {
    const double* var;  // read live: *var is the current value
    double factor;
    VECTOR3 ref_m;
};

struct PropellantRec {
    double max_mass_kg;
    double mass_kg;
    double efficiency;
};

struct ThrusterRec {
    VECTOR3 pos_m;
    VECTOR3 dir;
    double max_thrust0_n;  // in force (SetThrusterMax0 changes it)
    PROPELLANT_HANDLE propellant;
    double isp0_mps;
    double isp_ref_mps;
    double p_ref_pa;
    double level;  // what GetThrusterLevel reports
};

struct ThrusterGroupRec {
    THGROUP_TYPE type;
    std::vector<THRUSTER_HANDLE> members;
};

struct MeshRec {
    MESHHANDLE mesh;
    VECTOR3 offset_m;
    bool has_offset;
    WORD visibility;
};

struct AnimComponentRec {
    UINT anim;
    double state0;
    double state1;
    MGROUP_TRANSFORM* transform;  // the module's record, kept by address
    ANIMATIONCOMPONENT_HANDLE parent;
};

struct AnimationRec {
    double initial_state;
    double state;
    std::vector<std::size_t> components;  // indices into VesselState::components
};

struct ForceRec {
    VECTOR3 force_n;
    VECTOR3 point_m;
};

struct MfdRegistration {
    int mfd;
    VCMFDSPEC display;           // contents at registration
    const VCMFDSPEC* address;  // as passed
};

// A destroyed vessel's record stays where it was (references to it remain
// valid) and keeps index, handle, flight_model and the last scalar values
// (class caps, camera, touchdown points, control levels, readings); alive is
// false, object null, hud empty and every vector empty with its storage
// released. Its handles, and those of its meshes, thrusters and the rest,
// still decode (index_of, trace "KIND:V:N") but every call on them is ignored.
struct VesselState {
    int index = -1;
    bool alive = false;
    OBJHANDLE handle = nullptr;
    VESSEL2* object = nullptr;
    int flight_model = 1;

    double size_m = 0, empty_mass_kg = 0;
    double cw[4] = {0, 0, 0, 0};  // z+, z-, x, y
    double wing_aspect = 0, wing_effectiveness = 0;
    VECTOR3 cross_sections_m2{0, 0, 0}, rot_drag{0, 0, 0}, pmi_m2{0, 0, 0};
    double pitch_moment_scale = 0, bank_moment_scale = 0, trim_scale = 0;
    bool pitch_moment_scale_set = false, bank_moment_scale_set = false;
    VECTOR3 camera_offset_m{0, 0, 0}, camera_default_dir{0, 0, 1};
    double camera_range_rad[4] = {0, 0, 0, 0};  // left, right, up, down
    VECTOR3 touchdown_m[3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}};

    std::vector<AirfoilRec> airfoils;
    std::vector<ControlSurfaceRec> control_surfaces;
    std::vector<DragElementRec> drag_elements;
    std::vector<PropellantRec> propellants;
    std::vector<ThrusterRec> thrusters;
    std::vector<ThrusterGroupRec> thruster_groups;
    std::vector<BEACONLIGHTSPEC*> beacons;  // read live
    std::vector<MeshRec> meshes;
    std::vector<AnimationRec> animations;
    std::vector<AnimComponentRec> components;

    std::optional<VCHUDSPEC> hud;
    const VCHUDSPEC* hud_address = nullptr;
    std::vector<MfdRegistration> mfds;

    // Level per control-surface type 0..5: last set by the module or the caller.
    double ctrl_level[6] = {0, 0, 0, 0, 0, 0};

    // Readings the host reports.
    double airspeed_mps = 0, altitude_m = 0, aoa_rad = 0, bank_rad = 0;
    bool ground_contact = false;

    // Forces added in the current frame (cleared when a frame begins).
    std::vector<ForceRec> forces;

    // Drag-variable addresses in order of first appearance (trace numbering).
    std::vector<const double*> drag_vars_seen;
};

// The entry points of a module linked into the test binary.
struct ModuleEntryPoints {
    BOOL (*dll_main)(HINSTANCE, DWORD, LPVOID) = nullptr;  // optional
    VESSEL* (*ovc_init)(OBJHANDLE, int) = nullptr;          // required
    void (*ovc_exit)(VESSEL*) = nullptr;                    // optional
    int (*get_module_version)() = nullptr;                  // optional
};

class OAPIFUNC Runtime {
public:
    Runtime();
    ~Runtime();
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    // The living runtime, or null.
    static Runtime* current();

    // --- Plug-ins ------------------------------------------------------------
    // Loads a sound library as the simulator loads an active plug-in. Only
    // while no vessel is alive.
    void load_sound_library(const std::string& path);
    void unload_sound_library();
    bool sound_library_loaded() const;

    // --- The vessel module ---------------------------------------------------
    // dlopen, DllMain(instance, 1, null) if present, GetModuleVersion if present.
    // Throws HostError naming the path and the reason (no such file, not a
    // loadable library, no ovcInit).
    void load_module(const std::string& path);
    // For a module linked statically into the caller: same protocol, no dlopen.
    void adopt_module(const ModuleEntryPoints& entry, const std::string& file_name);
    // DllMain(instance, 0, null), then dlclose. Only with no living vessel.
    void unload_module();
    bool module_loaded() const;
    int module_version() const;
    HINSTANCE module_instance() const;
    // Whether the last unload removed the library from the process.
    bool last_unload_complete() const;

    // --- Vessels -------------------------------------------------------------
    // ovcInit(handle, flight model), clbkSetClassCaps(null), clbkPostCreation().
    // Returns the new index; indices count from 0 and are never reused.
    int create_vessel();
    void destroy_vessel(int index);         // ovcExit
    void destroy_all_vessels();             // living ones, in index order
    int vessels_created() const;            // next free index
    bool alive(int index) const;
    std::vector<int> living() const;
    const VesselState& vessel(int index) const;  // dead ones too (see VesselState)
    VESSEL2* object(int index) const;             // living only
    int index_of(OBJHANDLE vessel_handle) const;  // -1 when not a vessel handle

    // --- Frames --------------------------------------------------------------
    // Frame number written into the trace (0: loading and first creations).
    void set_frame(std::int64_t frame);
    std::int64_t frame() const;
    // Next frame number, pending time-acceleration request takes effect,
    // forces of the previous frame are cleared.
    void begin_frame();
    // Pending key events to the focus vessel, then clbkPostStep of every living
    // vessel in index order. mjd: the date as a modified Julian day number.
    void step(double simt_s, double simdt_s, double mjd);
    void run_frame(double simt_s, double simdt_s, double mjd);
    // A buffered key event delivered by the next step().
    void queue_key(DWORD code, bool down);
    // clbkLoadVC of a living vessel.
    bool load_vc(int index, int id);

    // --- Readings (between frames) ------------------------------------------
    void set_airspeed_mps(double airspeed_mps);
    void set_airspeed_mps(int index, double airspeed_mps);
    void set_altitude_m(double altitude_m);
    void set_altitude_m(int index, double altitude_m);
    void set_aoa_rad(double aoa_rad);
    void set_aoa_rad(int index, double aoa_rad);
    void set_bank_rad(double bank_rad);
    void set_bank_rad(int index, double bank_rad);
    void set_ground_contact(bool contact);
    void set_ground_contact(int index, bool contact);
    // Every thruster of every living vessel / one thruster of one vessel
    // (level: fraction of the thrust in force, 0..1).
    void set_thruster_level(double level);
    void set_thruster_level(int index, std::size_t thruster, double level);
    void set_control_surface_level(AIRCTRL_TYPE type, double level);
    void set_control_surface_level(int index, AIRCTRL_TYPE type, double level);
    // Mass of the first propellant resource, unclamped.
    void set_fuel_mass_kg(double fuel_kg);
    void set_fuel_mass_kg(int index, double fuel_kg);

    // Mass of one propellant resource of one vessel, unclamped.
    void set_propellant_mass_kg(int index, std::size_t propellant, double mass_kg);

    // The factor in force from now on; drops a pending request of the module.
    void set_time_acceleration(double factor);
    double time_acceleration() const;       // in force in this frame
    double next_time_acceleration() const;  // in force next frame
    void set_camera_internal(bool internal);
    // nullopt: oapiGetFocusHeading writes nothing and reports false.
    void set_focus_heading_rad(std::optional<double> heading_rad);
    void set_focus(int index);
    int focus() const;
    // Level passed to ovcInit and reported by GetFlightModel.
    void set_flight_model(int level);

    // --- Meshes --------------------------------------------------------------
    // Folder holding Meshes/; default: the project's asset folder.
    void set_mesh_dir(const std::string& dir);
    const std::string& mesh_dir() const;
    // The name a mesh handle was loaded under; empty for null or unknown.
    std::string mesh_name(MESHHANDLE mesh) const;
    // The file of every mesh the module has loaded that exists, in the order
    // first asked for: what a tool reading the meshes reads.
    std::vector<std::string> mesh_files() const;

    // --- For a flight model --------------------------------------------------
    // Position of a thruster or propellant resource in its vessel's list
    // (VesselState::thrusters / propellants); -1 for any other handle.
    int thruster_index(THRUSTER_HANDLE th) const;
    int propellant_index(PROPELLANT_HANDLE ph) const;
    // Position of an animation component in its vessel's list
    // (VesselState::components); -1 for any other handle. A component's
    // parent is a handle, and a mesh renderer needs the record behind it.
    int component_index(ANIMATIONCOMPONENT_HANDLE component) const;
    // Calls an airfoil's coefficient function (recorded as "coeff:N").
    void airfoil_coefficients(int index, std::size_t airfoil, double aoa_rad, double mach, double reynolds,
                              double* cl, double* cm, double* cd);

    // --- Trace ---------------------------------------------------------------
    // Writes the state event of a living vessel to the trace sink.
    void write_state_event(int index);

    // --- Test hooks ----------------------------------------------------------
    // Date2Int returns this instead of parsing (nullopt: parse).
    void set_date2int_override(std::optional<int> value);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// Date2Int as the host implements it, without recording: "Mmm dd yyyy" to
// yymmdd ("Apr 25 2006" -> 60425); unparseable text gives 0.
OAPIFUNC int parse_date(const char* text);

}  // namespace host

#endif
