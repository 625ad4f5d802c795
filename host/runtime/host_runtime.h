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

#include "runtime/trace.h"
#include "runtime/vessel_records.h"

namespace host {

// Everything the host refuses: bad module paths, calls out of order, unknown
// vessel indices. The message names what and where.
class OAPIFUNC HostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The entry points of a module linked into the test binary.
struct ModuleEntryPoints {
    BOOL (*dll_main)(HINSTANCE, DWORD, LPVOID) = nullptr;  // optional
    VESSEL* (*ovc_init)(OBJHANDLE, int) = nullptr;          // required
    void (*ovc_exit)(VESSEL*) = nullptr;                    // optional
    int (*get_module_version)() = nullptr;                  // optional
};

// Each member's preconditions stand in brackets; the runtime checks every one
// and throws HostError naming the call when one does not hold. "Never from
// inside a module callback": not from code the module runs, such as a sound
// observer called while a vessel steps.
class OAPIFUNC Runtime {
public:
    // [no other runtime alive]
    Runtime();
    ~Runtime();
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    // The living runtime, or null.
    static Runtime* current();

    // --- Plug-ins ------------------------------------------------------------
    // [no sound library loaded] [no living vessel]
    // Loads a sound library as the simulator loads an active plug-in.
    void load_sound_library(const std::string& path);
    // [no living vessel] Does nothing without a sound library.
    void unload_sound_library();
    bool sound_library_loaded() const;

    // --- The vessel module ---------------------------------------------------
    // [no module loaded]
    // dlopen, DllMain(instance, 1, null) if present, GetModuleVersion if present.
    // Throws HostError naming the path and the reason (no such file, not a
    // loadable library, no ovcInit).
    void load_module(const std::string& path);
    // [no module loaded] [entry.ovc_init set]
    // For a module linked statically into the caller: same protocol, no dlopen.
    void adopt_module(const ModuleEntryPoints& entry, const std::string& file_name);
    // [needs a loaded module] [no living vessel] [never from inside a module callback]
    // DllMain(instance, 0, null), then dlclose.
    void unload_module();
    bool module_loaded() const;
    int module_version() const;
    HINSTANCE module_instance() const;
    // Whether the last unload removed the library from the process.
    bool last_unload_complete() const;

    // --- Vessels -------------------------------------------------------------
    // [needs a loaded module] [never from inside a module callback]
    // ovcInit(handle, flight model), clbkSetClassCaps(null), clbkPostCreation().
    // Returns the new index; indices count from 0 and are never reused.
    int create_vessel();
    // [needs a loaded module] [a living vessel] [never from inside a module callback]
    void destroy_vessel(int index);  // ovcExit
    // The living ones, in index order; as destroy_vessel for each.
    void destroy_all_vessels();
    int vessels_created() const;  // next free index
    bool alive(int index) const;
    std::vector<int> living() const;
    // [a created vessel] Dead ones too (see VesselState).
    const VesselState& vessel(int index) const;
    // [a living vessel]
    VESSEL2* object(int index) const;
    int index_of(OBJHANDLE vessel_handle) const;  // -1 when not a vessel handle

    // --- Frames --------------------------------------------------------------
    // [never from inside a module callback]
    // Frame number written into the trace (0: loading and first creations).
    void set_frame(std::int64_t frame);
    std::int64_t frame() const;
    // [needs a loaded module] [never from inside a module callback]
    // Next frame number, pending time-acceleration request takes effect,
    // forces of the previous frame are cleared.
    void begin_frame();
    // [needs a loaded module] [never from inside a module callback]
    // Pending key events to the focus vessel, then clbkPostStep of every living
    // vessel in index order. mjd: the date as a modified Julian day number.
    void step(double simt_s, double simdt_s, double mjd);
    // [needs a loaded module] [never from inside a module callback]
    void run_frame(double simt_s, double simdt_s, double mjd);
    // [never from inside a module callback]
    // A buffered key event delivered by the next step().
    void queue_key(DWORD code, bool down);
    // [needs a loaded module] [a living vessel] [never from inside a module callback]
    // clbkLoadVC of the vessel.
    bool load_vc(int index, int id);

    // --- Readings and settings -----------------------------------------------
    // Every setter here: [never from inside a module callback]. With an index:
    // [a living vessel]; without: for every living vessel.
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
    // (level: fraction of the thrust in force, 0..1). [a thruster of the vessel]
    void set_thruster_level(double level);
    void set_thruster_level(int index, std::size_t thruster, double level);
    // [type 0..5]
    void set_control_surface_level(AIRCTRL_TYPE type, double level);
    void set_control_surface_level(int index, AIRCTRL_TYPE type, double level);
    // Mass of the first propellant resource, unclamped. With an index: [a
    // vessel with a propellant resource].
    void set_fuel_mass_kg(double fuel_kg);
    void set_fuel_mass_kg(int index, double fuel_kg);

    // [a propellant resource of the vessel]
    // Mass of one propellant resource of one vessel, unclamped.
    void set_propellant_mass_kg(int index, std::size_t propellant, double mass_kg);

    // The factor in force from now on; drops a pending request of the module.
    void set_time_acceleration(double factor);
    double time_acceleration() const;       // in force in this frame
    double next_time_acceleration() const;  // in force next frame
    void set_camera_internal(bool internal);
    // nullopt: oapiGetFocusHeading writes nothing and reports false.
    void set_focus_heading_rad(std::optional<double> heading_rad);
    // [a living vessel]
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
    // [needs a loaded module] [a living vessel] [an airfoil with a coefficient
    // function] [never from inside a module callback]
    // Calls an airfoil's coefficient function (recorded as "coeff:N").
    void airfoil_coefficients(int index, std::size_t airfoil, double aoa_rad, double mach, double reynolds,
                              double* cl, double* cm, double* cd);

    // --- Trace ---------------------------------------------------------------
    // [a living vessel]
    // Writes the state event of the vessel to the trace sink.
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
