// clbkPostCreation: the vessel's sounds, set up once the host created it.
#include <cstddef>
#include <string_view>

#include "lifecycle/vantorel_vessel.h"
#include "sound/sound_connector.h"

namespace vantorel {

namespace {

// The library takes a writable C string: a copy of the layout's name, made
// when the module is compiled.
template <std::size_t N>
struct WaveFile {
    constexpr explicit WaveFile(std::string_view name) {
        for (std::size_t i = 0; i + 1 < N; ++i) text[i] = name[i];
    }
    char text[N] = {};
};

constinit WaveFile<layout::kEngineWave.size() + 1> engine_wave(layout::kEngineWave);
constinit WaveFile<layout::kFlapsWave.size() + 1> flaps_wave(layout::kFlapsWave);
constinit WaveFile<layout::kGearWave.size() + 1> gear_wave(layout::kGearWave);
constexpr int WAVE_SOUND_CLASS = 4;
// The library's stock sounds this vessel switches off, in this order.
constexpr int STOCK_SOUNDS_OFF[] = {5, 6, 1, 13, 14, 16, 17};

}  // namespace

// Connects, loads the three waves and switches off the stock sounds. Without
// a connection sound_id is -1 and every call below returns without effect.
void VantorelVessel::clbkPostCreation() {
    sound_id = ConnectToOrbiterSoundDLL3(GetHandle());
    LoadVesselWave(sound_id, layout::kSoundEngine, engine_wave.text, WAVE_SOUND_CLASS);
    LoadVesselWave(sound_id, layout::kSoundFlaps, flaps_wave.text, WAVE_SOUND_CLASS);
    LoadVesselWave(sound_id, layout::kSoundGear, gear_wave.text, WAVE_SOUND_CLASS);
    for (int option : STOCK_SOUNDS_OFF) SoundOption(sound_id, option, 0);
}

}  // namespace vantorel
