#include "lifecycle/vessel_state.h"
#include "sound/sound_connector.h"
#include "flight/step_blocks.h"

namespace vantorel {

namespace {

constexpr double ENGINE_FREQ_IDLE_HZ = 13000.0;
constexpr double ENGINE_FREQ_GAIN_HZ = 6000.0;
constexpr double ENGINE_FREQ_MIN_HZ = 11500.0;
constexpr double ENGINE_FREQ_MAX_HZ = 22500.0;
constexpr double COCKPIT_FREQ_REDUCTION_HZ = 1800.0;
constexpr int ENGINE_VOLUME_OUTSIDE = 255;
constexpr int ENGINE_VOLUME_COCKPIT = 220;
constexpr int LOOP = 1;

}  // namespace

// Each step decides afresh: a play request while the engine runs, a stop
// request while its level is exactly 0. The sound is softer and lower in the
// cockpit view.
void UpdateEngineSound(const VantorelVessel& vessel) {
    ModuleState& s = shared_state;
    if (vessel.GetThrusterLevel(s.th_main) > 0.0) {
        s.engine_sound_freq = vessel.GetThrusterLevel(s.th_main) * ENGINE_FREQ_GAIN_HZ + ENGINE_FREQ_IDLE_HZ;
        if (s.engine_sound_freq < ENGINE_FREQ_MIN_HZ)
            s.engine_sound_freq = ENGINE_FREQ_MIN_HZ;
        else if (s.engine_sound_freq > ENGINE_FREQ_MAX_HZ)
            s.engine_sound_freq = ENGINE_FREQ_MAX_HZ;
        if (oapiCameraInternal())
            PlayVesselWave(vessel.sound_id, layout::kSoundEngine, LOOP, ENGINE_VOLUME_COCKPIT,
                           static_cast<int>(s.engine_sound_freq - COCKPIT_FREQ_REDUCTION_HZ));
        else
            PlayVesselWave(vessel.sound_id, layout::kSoundEngine, LOOP, ENGINE_VOLUME_OUTSIDE,
                           static_cast<int>(s.engine_sound_freq));
    }
    if (vessel.GetThrusterLevel(s.th_main) == 0.0) StopVesselWave(vessel.sound_id, layout::kSoundEngine);
}

}  // namespace vantorel
