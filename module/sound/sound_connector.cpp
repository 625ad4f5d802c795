#include "sound/sound_connector.h"

#include "lifecycle/vantorel_vessel.h"
#include "sound/sound_log.h"

namespace vantorel {

const char* const sound_entry_names[SOUND_ENTRY_COUNT] = {
    "LoadVesselWaveOBSound3", "PlayVesselWaveOBSound3", "PlayVesselExclusiveWaveOBSound3",
    "StopVesselWave3",        "IsPlayingVesselWave3",   "IsPlayingRadioVesselWave",
    "SoundOption3",           "SetFrequency",           "GetVesselSoundID3",
    "ReplaceStockOBSound3",
};

FARPROC SoundEntryTable[SOUND_ENTRY_COUNT] = {};

namespace {

enum SoundEntry {
    ENTRY_LOAD_WAVE = 0,
    ENTRY_PLAY_WAVE = 1,
    ENTRY_STOP_WAVE = 3,
    ENTRY_SOUND_OPTION = 6,
    ENTRY_GET_ID = 8,
};

typedef int (*LoadWaveFn)(int id, int slot, char* filename, int soundclass);
typedef int (*PlayWaveFn)(int id, int slot, int loop, int volume, int frequency);
typedef int (*StopWaveFn)(int id, int slot);
typedef int (*SoundOptionFn)(int id, int option, int value);
typedef int (*GetIdFn)(OBJHANDLE vessel);

constexpr int MAX_SOUND_ID = 59;
constexpr int MIN_SLOT = 1;
constexpr int MAX_SLOT = 60;
constexpr int MIN_OPTION = 1;
constexpr int MAX_OPTION = 17;
constexpr int NO_SOUND_ID = -1;

HMODULE sound_library = nullptr;
// Every connect failure logs this empty text as its detail line.
const char empty_detail[] = "";

template <typename Fn>
Fn Entry(SoundEntry e) {
    // Through the generic function type, as an entry address is not yet typed.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(SoundEntryTable[e]));
}

bool ValidId(int id) { return id >= 0 && id <= MAX_SOUND_ID; }
bool ValidSlot(int slot) { return slot >= MIN_SLOT && slot <= MAX_SLOT; }

}  // namespace

int ConnectToOrbiterSoundDLL3(OBJHANDLE vessel) {
    if (!vessel) {
        WriteSoundLog("ERR01= Vessel->ConnectToOrbiterSoundDLL3: A vessel passed a NULL handle to this function",
                      empty_detail);
        return NO_SOUND_ID;
    }
    sound_library = GetModuleHandleA("OrbiterSound.dll");
    if (!sound_library) {
        WriteSoundLog(
            "ERR01= Vessel->ConnectToOrbiterSoundDLL3: Unable to connect to OrbiterSound 3.0 - not installed or "
            "activated",
            empty_detail);
        return NO_SOUND_ID;
    }
    for (int i = 0; i < SOUND_ENTRY_COUNT; ++i) SoundEntryTable[i] = GetProcAddress(sound_library, sound_entry_names[i]);
    for (int i = 0; i < SOUND_ENTRY_COUNT; ++i) {
        if (i != ENTRY_GET_ID && !SoundEntryTable[i]) {
            WriteSoundLog("ERR02= ConnectToOrbiterSoundDLL3: Unable to find routines missing OrbiterSound3.0 ?",
                          empty_detail);
            return NO_SOUND_ID;
        }
    }
    if (!SoundEntryTable[ENTRY_GET_ID]) {
        WriteSoundLog("ERR03= unable to connect to GetMyID, Older OrbiterSound.dll ?", empty_detail);
        return NO_SOUND_ID;
    }
    return Entry<GetIdFn>(ENTRY_GET_ID)(vessel);
}

int LoadVesselWave(int id, int slot, char* filename, int soundclass) {
    if (!SoundEntryTable[ENTRY_LOAD_WAVE] || !ValidId(id) || !ValidSlot(slot)) return 0;
    return Entry<LoadWaveFn>(ENTRY_LOAD_WAVE)(id, slot, filename, soundclass);
}

int PlayVesselWave(int id, int slot, int loop, int volume, int frequency) {
    if (!SoundEntryTable[ENTRY_PLAY_WAVE] || !ValidId(id) || !ValidSlot(slot)) return 0;
    return Entry<PlayWaveFn>(ENTRY_PLAY_WAVE)(id, slot, loop, volume, frequency);
}

int StopVesselWave(int id, int slot) {
    if (!SoundEntryTable[ENTRY_STOP_WAVE] || !ValidId(id) || !ValidSlot(slot)) return 0;
    return Entry<StopWaveFn>(ENTRY_STOP_WAVE)(id, slot);
}

int SoundOption(int id, int option, int value) {
    if (!SoundEntryTable[ENTRY_SOUND_OPTION] || option < MIN_OPTION || option > MAX_OPTION || !ValidId(id)) return 0;
    return Entry<SoundOptionFn>(ENTRY_SOUND_OPTION)(id, option, value);
}

}  // namespace vantorel
