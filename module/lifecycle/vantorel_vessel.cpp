#include "lifecycle/vantorel_vessel.h"

#include "vantorel/vessel_layout.h"
#include "lifecycle/vessel_state.h"

namespace vantorel {

namespace {

// The host takes C strings: each name must end where its view ends.
constexpr bool EndsInNul(std::string_view name) { return name.data()[name.size()] == '\0'; }
static_assert(EndsInNul(layout::kExteriorMeshName) && EndsInNul(layout::kCockpitMeshName) &&
              EndsInNul(layout::kCockpitLitMeshName));

}  // namespace

VantorelVessel::VantorelVessel(OBJHANDLE hVessel, int flightmodel) : VESSEL2(hVessel, flightmodel) {
    // Every construction loads all three meshes again into the module-wide handles.
    shared_state.mesh_exterior = oapiLoadMeshGlobal(layout::kExteriorMeshName.data());
    shared_state.mesh_cockpit = oapiLoadMeshGlobal(layout::kCockpitMeshName.data());
    shared_state.mesh_cockpit_lit = oapiLoadMeshGlobal(layout::kCockpitLitMeshName.data());
    DefineAnimations();
}

VantorelVessel::~VantorelVessel() { delete nose_wheel_roll_transform; }

}  // namespace vantorel
