// clbkConsumeBufferedKey: the five keys. The handler never moves anything
// itself; it writes commands and requests that the next step carries out.
#include "../module/vantorel_vessel.h"
#include "../module/vessel_state.h"
#include "../sound/sound_connector.h"
#include "motion_channel.h"

namespace vantorel {

namespace {

constexpr int KEY_CONSUMED = 1;
constexpr int KEY_NOT_CONSUMED = 0;
constexpr int ONE_SHOT = 0;
constexpr int FULL_VOLUME = 255;
constexpr int RECORDED_RATE = 0;

void PlayOnce(const VantorelVessel& vessel, int slot) {
    PlayVesselWave(vessel.sound_id, slot, ONE_SHOT, FULL_VOLUME, RECORDED_RATE);
}

int ToggleLights() {
    ModuleState& s = shared_state;
    if (s.lights_on == 0.0)
        s.lights_on = 1.0;
    else if (s.lights_on == 1.0)
        s.lights_on = 0.0;
    else
        return KEY_NOT_CONSUMED;
    s.lights_changed = 1.0;
    return KEY_CONSUMED;
}

}  // namespace

// The key state buffer is not examined: modifiers make no difference.
int VantorelVessel::clbkConsumeBufferedKey(DWORD key, bool down, char* /*kstate*/) {
    if (!down) return KEY_NOT_CONSUMED;
    ModuleState& s = shared_state;
    switch (key) {
        case OAPI_KEY_0:
            s.canopy_status = ToggleDirection(s.canopy_pos);
            PlayOnce(*this, SOUND_FLAPS);
            return KEY_CONSUMED;
        case OAPI_KEY_F:
            s.flap_status = ToggleDirection(s.flap_pos);
            PlayOnce(*this, SOUND_FLAPS);
            return KEY_CONSUMED;
        case OAPI_KEY_G:
            // The gear cannot be commanded on the ground; the key is still consumed.
            if (GroundContact()) return KEY_CONSUMED;
            s.gear_status = ToggleDirection(s.gear_pos);
            PlayOnce(*this, SOUND_GEAR);
            s.gear_lever_status = ToggleDirection(s.gear_lever_pos);
            return KEY_CONSUMED;
        case OAPI_KEY_J:
            // Refuelling is accepted only at a standstill.
            if (s.refuel_request == 0.0 && GetAirspeed() == 0.0) s.refuel_request = 1.0;
            return KEY_CONSUMED;
        case OAPI_KEY_K:
            return ToggleLights();
        default:
            return KEY_NOT_CONSUMED;
    }
}

}  // namespace vantorel
