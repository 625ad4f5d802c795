#include "lifecycle/vessel_state.h"
#include "flight/motion_channel.h"
#include "flight/step_blocks.h"

namespace vantorel {

// Gear, then the cockpit gear lever. Both stand still while the vessel touches
// the ground and go on from where they stopped after lift-off.
void MoveGearAndLever(const VantorelVessel& vessel) {
    ModuleState& s = shared_state;
    if (s.gear_status != CHANNEL_AT_REST && !vessel.GroundContact()) {
        AdvanceChannel(s.gear_status, s.gear_pos, GEAR_RATE);
        vessel.SetAnimation(vessel.anim_gear, s.gear_pos);
        // The gear drag element reads this through its address; written only while the gear moves.
        s.gear_drag = 1.0 - s.gear_pos;
    }
    if (s.gear_lever_status != CHANNEL_AT_REST && !vessel.GroundContact()) {
        AdvanceChannel(s.gear_lever_status, s.gear_lever_pos, GEAR_LEVER_RATE);
        vessel.SetAnimation(vessel.anim_gear_lever, s.gear_lever_pos);
    }
}

}  // namespace vantorel
