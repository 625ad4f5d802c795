#include "definition/vessel_constants.h"
#include "lifecycle/vessel_state.h"
#include "flight/ground_handling.h"
#include "flight/step_blocks.h"

namespace vantorel {

// Between the thresholds no call is made and the set given last stays in
// force: a retracting gear keeps the gear-down points until it is almost up.
void SelectTouchdownPoints(const VantorelVessel& vessel) {
    const double gear = shared_state.gear_pos;
    if (gear < GEAR_DOWN_THRESHOLD)
        vessel.SetTouchdownPoints(TOUCHDOWN_GEAR_DOWN[0], TOUCHDOWN_GEAR_DOWN[1], TOUCHDOWN_GEAR_DOWN[2]);
    if (gear > GEAR_UP_THRESHOLD)
        vessel.SetTouchdownPoints(TOUCHDOWN_GEAR_UP[0], TOUCHDOWN_GEAR_UP[1], TOUCHDOWN_GEAR_UP[2]);
}

}  // namespace vantorel
