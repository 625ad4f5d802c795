#include "definition/vessel_constants.h"
#include "lifecycle/vessel_state.h"
#include "flight/step_blocks.h"

namespace vantorel {

namespace {

constexpr double EYE_SHIFT_PER_RAD_M = 0.5;
constexpr double EYE_SHIFT_LIMIT_M = 0.333;

}  // namespace

// The pilot's eye moves up and down with the angle of attack while moving.
// Set on every step, so it replaces the eye point a virtual-cockpit load set.
void ShiftEyePoint(const VantorelVessel& vessel, double v) {
    ModuleState& s = shared_state;
    if (v > MIN_MOVING_AIRSPEED) {
        s.eye_aoa_offset = vessel.GetAOA() * EYE_SHIFT_PER_RAD_M;
        if (s.eye_aoa_offset > EYE_SHIFT_LIMIT_M)
            s.eye_aoa_offset = EYE_SHIFT_LIMIT_M;
        else if (s.eye_aoa_offset < -EYE_SHIFT_LIMIT_M)
            s.eye_aoa_offset = -EYE_SHIFT_LIMIT_M;
        vessel.SetCameraOffset(_V(EYE_POINT.x, EYE_POINT.y + s.eye_aoa_offset, EYE_POINT.z));
    } else {
        s.eye_aoa_offset = 0.0;
        vessel.SetCameraOffset(EYE_POINT);
    }
}

}  // namespace vantorel
