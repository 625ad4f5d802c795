// clbkSetClassCaps: the vessel's whole static description, handed to the host
// once per vessel. Every value is a constant of the module.
#include "lifecycle/vantorel_vessel.h"
#include "lifecycle/vessel_state.h"
#include "definition/airfoil_coeffs.h"
#include "definition/vessel_constants.h"

namespace vantorel {

namespace {

struct ControlSurfaceSpec {
    AIRCTRL_TYPE type;
    double area_m2;
    double dcl;
    VECTOR3 ref;
    int axis;
    UINT VantorelVessel::*animation;
};

const ControlSurfaceSpec control_surfaces[] = {
    {AIRCTRL_ELEVATOR, 7.0, 0.7, {0.0, 0.0, -17.0}, AIRCTRL_AXIS_XPOS, &VantorelVessel::anim_elevator},
    {AIRCTRL_RUDDER, 2.0, 0.5, {0.0, 2.0, -15.0}, AIRCTRL_AXIS_YPOS, &VantorelVessel::anim_rudder},
    {AIRCTRL_AILERON, 4.8, 0.2, {17.8, 0.0, -17.8}, AIRCTRL_AXIS_XPOS, &VantorelVessel::anim_aileron_right},
    {AIRCTRL_AILERON, 4.8, 0.2, {-17.8, 0.0, -17.8}, AIRCTRL_AXIS_XNEG, &VantorelVessel::anim_aileron_left},
    {AIRCTRL_ELEVATORTRIM, 5.0, 0.1, {0.0, 0.0, -15.0}, AIRCTRL_AXIS_XPOS, &VantorelVessel::anim_elevator},
    {AIRCTRL_FLAP, 5.0, 5.0, {0.0, 0.0, -1.0}, AIRCTRL_AXIS_XPOS, &VantorelVessel::anim_flaps},
};

void FillBeacon(BEACONLIGHTSPEC& beacon, VECTOR3* pos, VECTOR3* col) {
    beacon.shape = BEACONSHAPE_STAR;
    beacon.pos = pos;
    beacon.col = col;
    beacon.size = 0.13;
    beacon.falloff = 0.6;
    beacon.period = 1.13;
    beacon.duration = 0.05;
    beacon.tofs = 0.6;
    beacon.active = false;
}

}  // namespace

void VantorelVessel::clbkSetClassCaps(FILEHANDLE /*cfg*/) {
    ModuleState& s = shared_state;

    // Body, drag and wing.
    SetSize(8.0);
    SetEmptyMass(12000.0);
    SetCW(0.3, 0.3, 0.6, 0.9);
    SetWingAspect(1.7);
    SetWingEffectiveness(3.1);
    SetCrossSections(_V(5.0, 5.0, 15.0));
    SetRotDrag(_V(3.5, 3.5, 3.5));
    if (GetFlightModel() >= 1) {
        SetPitchMomentScale(0.0001);
        SetBankMomentScale(0.0001);
    }
    SetPMI(_V(15.5, 22.1, 7.7));
    SetTrimScale(0.05);
    SetCameraOffset(EYE_POINT);

    // Ground contact with the gear down.
    SetTouchdownPoints(TOUCHDOWN_GEAR_DOWN[0], TOUCHDOWN_GEAR_DOWN[1], TOUCHDOWN_GEAR_DOWN[2]);

    // Airfoils.
    CreateAirfoil(LIFT_VERTICAL, _V(0.0, 0.0, -0.5), vertical_lift_coeffs, 20.0, 270.0, 2.266);
    CreateAirfoil(LIFT_HORIZONTAL, _V(0.0, 0.0, -4.0), horizontal_lift_coeffs, 20.0, 50.0, 1.5);

    for (const ControlSurfaceSpec& c : control_surfaces)
        CreateControlSurface(c.type, c.area_m2, c.dcl, c.ref, c.axis, this->*c.animation);

    // The host reads both drag variables through these addresses every step.
    CreateVariableDragElement(&s.canopy_pos, 5.0, _V(0.0, 0.0, 0.0));
    CreateVariableDragElement(&s.gear_drag, 0.8, _V(0.0, -1.0, 0.0));

    // Propellant and the main engine. Its maximum thrust stays 0 until the
    // first step's envelope check sets the working value.
    PROPELLANT_HANDLE tank = CreatePropellantResource(PROPELLANT_MAX_KG, -1.0, 1.0);
    s.th_main = CreateThruster(_V(0.0, 0.0, -4.3), _V(0.0, 0.0, 1.0), 0.0, tank, 50000.0, 0.0, 101400.0);
    CreateThrusterGroup(&s.th_main, 1, THGROUP_MAIN);

    // Strobe beacons, dark until the light switch turns them on.
    FillBeacon(s.beacon_left, &s.beacon_left_pos, &s.beacon_left_col);
    AddBeacon(&s.beacon_left);
    FillBeacon(s.beacon_right, &s.beacon_right_pos, &s.beacon_right_col);
    AddBeacon(&s.beacon_right);

    // Exterior at index 0, the cockpit at index 1, drawn only in the virtual cockpit.
    AddMesh(s.mesh_exterior);
    const UINT cockpit = AddMesh(s.mesh_cockpit, &COCKPIT_MESH_OFFSET);
    SetMeshVisibilityMode(cockpit, MESHVIS_VC);
}

}  // namespace vantorel
