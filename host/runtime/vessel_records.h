// What the stand-in host keeps per vessel of the module: everything the
// module defined through the VESSEL members, and the readings the host
// reports. Runtime::vessel hands these out read-only.
#ifndef VANTOREL_HOST_VESSEL_RECORDS_H
#define VANTOREL_HOST_VESSEL_RECORDS_H

#include <Orbitersdk.h>

#include <cstddef>
#include <optional>
#include <vector>

namespace host {

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

}  // namespace host

#endif
