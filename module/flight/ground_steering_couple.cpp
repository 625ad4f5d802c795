#include "lifecycle/vessel_state.h"
#include "flight/ground_handling.h"
#include "flight/step_blocks.h"

namespace vantorel {

namespace {

constexpr double STEERING_FORCE_PER_RUDDER_N = 3000000.0;
constexpr double STEERING_ARM_M = 3.33;
constexpr double MAX_STEERING_AIRSPEED_MPS = 90.0;

}  // namespace

// On the ground the rudder yaws the vessel through two opposite forces ahead
// of and behind the origin: a pure moment about the vertical axis.
void AddGroundSteeringCouple(const VantorelVessel& vessel, double v) {
    if (!(vessel.GroundContact() && v > MIN_MOVING_AIRSPEED && v < MAX_STEERING_AIRSPEED_MPS &&
          shared_state.gear_pos < GEAR_DOWN_THRESHOLD))
        return;
    const double force = vessel.GetControlSurfaceLevel(AIRCTRL_RUDDER) * STEERING_FORCE_PER_RUDDER_N;
    if (oapiGetTimeAcceleration() > TIME_ACCELERATION_LIMIT) return;
    vessel.AddForce(_V(force, 0.0, 0.0), _V(0.0, 0.0, STEERING_ARM_M));
    vessel.AddForce(_V(-force, 0.0, 0.0), _V(0.0, 0.0, -STEERING_ARM_M));
}

}  // namespace vantorel
