// clbkConsumeBufferedKey: the five keys. The handler never moves anything
// itself; it writes commands and requests that the next step carries out.
#include "vantorel/vessel_layout.h"
#include "lifecycle/vantorel_vessel.h"
#include "lifecycle/vessel_state.h"
#include "sound/sound_connector.h"
#include "flight/motion_channel.h"

namespace vantorel {

namespace {

constexpr int KEY_CONSUMED = 1;
constexpr int KEY_NOT_CONSUMED = 0;
constexpr int ONE_SHOT = 0;
constexpr int FULL_VOLUME = 255;
constexpr int RECORDED_RATE = 0;

// The layout's key codes are the SDK's keys.
static_assert(layout::kKeyCanopy == OAPI_KEY_0);
static_assert(layout::kKeyFlaps == OAPI_KEY_F);
static_assert(layout::kKeyGear == OAPI_KEY_G);
static_assert(layout::kKeyRefuel == OAPI_KEY_J);
static_assert(layout::kKeyLights == OAPI_KEY_K);

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
        case layout::kKeyCanopy:
            s.canopy_status = ToggleDirection(s.canopy_pos);
            PlayOnce(*this, layout::kSoundFlaps);
            return KEY_CONSUMED;
        case layout::kKeyFlaps:
            s.flap_status = ToggleDirection(s.flap_pos);
            PlayOnce(*this, layout::kSoundFlaps);
            return KEY_CONSUMED;
        case layout::kKeyGear:
            // The gear cannot be commanded on the ground; the key is still consumed.
            if (GroundContact()) return KEY_CONSUMED;
            s.gear_status = ToggleDirection(s.gear_pos);
            PlayOnce(*this, layout::kSoundGear);
            s.gear_lever_status = ToggleDirection(s.gear_lever_pos);
            return KEY_CONSUMED;
        case layout::kKeyRefuel:
            // Refuelling is accepted only at a standstill.
            if (s.refuel_request == 0.0 && GetAirspeed() == 0.0) s.refuel_request = 1.0;
            return KEY_CONSUMED;
        case layout::kKeyLights:
            return ToggleLights();
        default:
            return KEY_NOT_CONSUMED;
    }
}

}  // namespace vantorel
