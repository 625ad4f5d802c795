#include "definition/vessel_constants.h"
#include "lifecycle/vessel_state.h"
#include "flight/step_blocks.h"

namespace vantorel {

// The gauge reads the mass before the refill of the same step, so a refill
// shows one step later. A full tank reads 0, an empty one 1/3.
void UpdateFuelGaugeAndRefuel(const VantorelVessel& vessel) {
    ModuleState& s = shared_state;
    s.fuel_needle_pos = (PROPELLANT_MAX_KG - vessel.GetFuelMass()) * 5e-05 * 0.3333333333333333;
    if (s.fuel_needle_pos < 0.0)
        s.fuel_needle_pos = 0.0;
    else if (s.fuel_needle_pos > 1.0)
        s.fuel_needle_pos = 1.0;
    vessel.SetAnimation(vessel.anim_fuel_needle, s.fuel_needle_pos);

    if (s.refuel_request == 1.0) {
        vessel.SetFuelMass(PROPELLANT_MAX_KG);
        s.refuel_request = 0.0;
    }
}

}  // namespace vantorel
