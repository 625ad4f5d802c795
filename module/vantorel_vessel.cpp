#include "vantorel_vessel.h"

#include "vessel_state.h"

namespace vantorel {

VantorelVessel::VantorelVessel(OBJHANDLE hVessel, int flightmodel) : VESSEL2(hVessel, flightmodel) {
    // Every construction loads all three meshes again into the module-wide handles.
    shared_state.mesh_exterior = oapiLoadMeshGlobal("Ombrix\\Vantorel");
    shared_state.mesh_cockpit = oapiLoadMeshGlobal("Ombrix\\Vantorel-Cpit");
    shared_state.mesh_cockpit_lit = oapiLoadMeshGlobal("Ombrix\\Vantorel-Cpit_n");
    DefineAnimations();
}

VantorelVessel::~VantorelVessel() { delete nose_wheel_roll_transform; }

}  // namespace vantorel
