#include <cmath>

#include "lifecycle/vessel_state.h"
#include "flight/step_blocks.h"

namespace vantorel {

namespace {

constexpr double FAST_HAND_PER_STEP = 0.0002;  // times the time-acceleration factor
// A decimal constant, not 1/60: sixty increments fall just short of a turn,
// so a hand wraps on its 61st.
constexpr double CARRY = 0.016666666;

// Wraps a hand that completed its turn (the excess is dropped) and reports
// whether it did.
bool WrapHand(double& hand) {
    if (hand < 0.0) {
        hand = 0.0;
        return false;
    }
    if (hand >= 1.0) {
        hand = 0.0;
        return true;
    }
    return false;
}

}  // namespace

// Three hands, each stepping the next one on.
void UpdateClock(const VantorelVessel& vessel) {
    ModuleState& s = shared_state;
    // The hands carry over between steps, and a NaN would never wrap out
    // again: a factor that is not a finite number advances nothing.
    const double factor = oapiGetTimeAcceleration();
    if (std::isfinite(factor)) s.clock_fast_pos += factor * FAST_HAND_PER_STEP;
    if (WrapHand(s.clock_fast_pos)) s.clock_mid_pos += CARRY;
    vessel.SetAnimation(vessel.anim_clock_fast, s.clock_fast_pos);
    if (WrapHand(s.clock_mid_pos)) s.clock_slow_pos += CARRY;
    vessel.SetAnimation(vessel.anim_clock_mid, s.clock_mid_pos);
    WrapHand(s.clock_slow_pos);
    vessel.SetAnimation(vessel.anim_clock_slow, s.clock_slow_pos);
}

}  // namespace vantorel
