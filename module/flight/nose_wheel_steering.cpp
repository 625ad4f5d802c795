#include "lifecycle/vessel_state.h"
#include "flight/ground_handling.h"
#include "flight/step_blocks.h"

namespace vantorel {

namespace {

constexpr double NOSE_WHEEL_STRAIGHT = 0.5;

}  // namespace

// Airborne the nose wheel is held straight; on the ground it follows the
// rudder, at a standstill too.
void SteerNoseWheel(const VantorelVessel& vessel, double v) {
    ModuleState& s = shared_state;
    if (!vessel.GroundContact() && s.gear_pos < 1.0 && v > MIN_MOVING_AIRSPEED) {
        s.nose_steer_pos = NOSE_WHEEL_STRAIGHT;
        vessel.SetAnimation(vessel.anim_nose_steer, NOSE_WHEEL_STRAIGHT);
    }
    if (vessel.GroundContact() && s.gear_pos < GEAR_DOWN_THRESHOLD) {
        s.nose_steer_pos = (vessel.GetControlSurfaceLevel(AIRCTRL_RUDDER) + 1.0) * 0.5;
        vessel.SetAnimation(vessel.anim_nose_steer, s.nose_steer_pos);
    }
}

}  // namespace vantorel
