#include "definition/vessel_constants.h"
#include "lifecycle/vessel_state.h"
#include "flight/step_blocks.h"

namespace vantorel {

namespace {

// The host reads the beacon records through their addresses, so setting the
// fields switches the strobes of every vessel of the class at once.
void ApplyLights(const VantorelVessel& vessel, bool on, MESHHANDLE cockpit_mesh) {
    ModuleState& s = shared_state;
    s.lights_changed = 0.0;
    s.beacon_left.active = on;
    s.beacon_right.active = on;
    const UINT index = vessel.InsertMesh(cockpit_mesh, layout::kCockpitMesh, &COCKPIT_MESH_OFFSET);
    vessel.SetMeshVisibilityMode(index, MESHVIS_VC);
}

}  // namespace

// Applies a pending change of the light switch: beacons and the lit or unlit cockpit mesh.
void ApplyLightSwitch(const VantorelVessel& vessel) {
    const ModuleState& s = shared_state;
    if (s.lights_on == 1.0 && s.lights_changed == 1.0) ApplyLights(vessel, true, s.mesh_cockpit_lit);
    if (s.lights_on == 0.0 && s.lights_changed == 1.0) ApplyLights(vessel, false, s.mesh_cockpit);
}

}  // namespace vantorel
