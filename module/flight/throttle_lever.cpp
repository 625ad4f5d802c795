#include "lifecycle/vessel_state.h"
#include "flight/step_blocks.h"

namespace vantorel {

void MoveThrottleLever(const VantorelVessel& vessel) {
    ModuleState& s = shared_state;
    s.main_level = vessel.GetThrusterLevel(s.th_main);
    vessel.SetAnimation(vessel.anim_throttle, s.main_level);
}

}  // namespace vantorel
