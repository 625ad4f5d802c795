#include "lifecycle/vessel_state.h"
#include "flight/motion_channel.h"
#include "flight/step_blocks.h"

namespace vantorel {

// Canopy, then flaps, then the flap surface level. The canopy position is
// itself the canopy drag variable. The flap level is set on every step, so
// after a step the host's flap surface always stands at flap_pos.
void MoveCanopyAndFlaps(const VantorelVessel& vessel) {
    ModuleState& s = shared_state;
    if (AdvanceChannel(s.canopy_status, s.canopy_pos, CANOPY_RATE))
        vessel.SetAnimation(vessel.anim_canopy, s.canopy_pos);
    if (AdvanceChannel(s.flap_status, s.flap_pos, FLAP_RATE)) vessel.SetAnimation(vessel.anim_flaps, s.flap_pos);
    vessel.SetControlSurfaceLevel(AIRCTRL_FLAP, s.flap_pos);
}

}  // namespace vantorel
