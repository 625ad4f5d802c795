#include <algorithm>

#include "lifecycle/vessel_state.h"
#include "flight/ground_handling.h"
#include "flight/step_blocks.h"

namespace vantorel {

namespace {

constexpr double ROLL_PER_MPS = 0.0033333333333333335;  // 1/300 turn per step per m/s
constexpr double ROLL_AIRSPEED_CAP_MPS = 30.0;

}  // namespace

// The wrap comes before the addition, so the animation may see up to 1.1 for
// one step; the overshoot is dropped, not carried.
void RollWheels(const VantorelVessel& vessel, double v) {
    ModuleState& s = shared_state;
    if (s.wheel_roll_pos > 1.0) s.wheel_roll_pos = 0.0;
    if (v > MIN_MOVING_AIRSPEED) {
        s.wheel_roll_pos += std::min(v, ROLL_AIRSPEED_CAP_MPS) * ROLL_PER_MPS;
        if (vessel.GroundContact() && s.gear_pos < GEAR_DOWN_THRESHOLD)
            vessel.SetAnimation(vessel.anim_wheel_roll, s.wheel_roll_pos);
    }
}

}  // namespace vantorel
