// Stand-in for the OrbiterSound 3.0 plug-in: the ten entries a vessel module
// resolves by name, with the argument orders it passes. It plays nothing;
// every call is recorded through the host's recorder and reports success.
// Compile definitions build the test variants:
//   VANTOREL_SOUND_NO_STOP      no StopVesselWave3
//   VANTOREL_SOUND_NO_ID        no GetVesselSoundID3
//   VANTOREL_SOUND_ID_BASE=n    ids count from n instead of 0
#include <Orbitersdk.h>

#include <unordered_map>

#include "runtime/sound_requests.h"
#include "runtime/trace.h"

#ifndef VANTOREL_SOUND_ID_BASE
#define VANTOREL_SOUND_ID_BASE 0
#endif

#if defined(_WIN32)
#define SOUND_EXPORT extern "C" __declspec(dllexport)
#else
#define SOUND_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace trace = host::trace;

namespace {

using Kind = host::SoundRequest::Kind;

void observe(Kind kind, int id, int slot, int loop = 0, int volume = 0, int frequency = 0) {
    if (host::sound_observed()) [[unlikely]]
        host::detail::report_sound({kind, id, slot, loop, volume, frequency});
}

#ifndef VANTOREL_SOUND_NO_ID
// One id per vessel handle, in order of first request; hashed because a
// session may ask for hundreds of thousands of vessels.
std::unordered_map<OBJHANDLE, int>& known_vessels() {
    static std::unordered_map<OBJHANDLE, int> ids;
    return ids;
}
#endif

int record_ids(const char* name, int id, int slot, int r) {
    if (trace::active()) [[unlikely]]
        trace::Call(name).integer(id).integer(slot).result().integer(r).end();
    return r;
}

// Both play entries take and record the same five arguments.
int record_play(const char* name, Kind kind, int id, int slot, int loop, int volume, int frequency) {
    observe(kind, id, slot, loop, volume, frequency);
    if (trace::active()) [[unlikely]]
        trace::Call(name).integer(id).integer(slot).integer(loop).integer(volume).integer(frequency).result().integer(1).end();
    return 1;
}

}  // namespace

SOUND_EXPORT int LoadVesselWaveOBSound3(int id, int slot, char* filename, int soundclass) {
    observe(Kind::load, id, slot);
    if (trace::active()) [[unlikely]]
        trace::Call("LoadVesselWaveOBSound3").integer(id).integer(slot).text(filename).integer(soundclass).result().integer(1).end();
    return 1;
}

SOUND_EXPORT int PlayVesselWaveOBSound3(int id, int slot, int loop, int volume, int frequency) {
    return record_play("PlayVesselWaveOBSound3", Kind::play, id, slot, loop, volume, frequency);
}

SOUND_EXPORT int PlayVesselExclusiveWaveOBSound3(int id, int slot, int loop, int volume, int frequency) {
    return record_play("PlayVesselExclusiveWaveOBSound3", Kind::play_exclusive, id, slot, loop, volume, frequency);
}

#ifndef VANTOREL_SOUND_NO_STOP
SOUND_EXPORT int StopVesselWave3(int id, int slot) {
    observe(Kind::stop, id, slot);
    return record_ids("StopVesselWave3", id, slot, 1);
}
#endif

SOUND_EXPORT int IsPlayingVesselWave3(int id, int slot) { return record_ids("IsPlayingVesselWave3", id, slot, 1); }

SOUND_EXPORT int IsPlayingRadioVesselWave(int id, int slot) {
    return record_ids("IsPlayingRadioVesselWave", id, slot, 1);
}

SOUND_EXPORT int SoundOption3(int id, int option, int value) {
    if (trace::active()) [[unlikely]]
        trace::Call("SoundOption3").integer(id).integer(option).integer(value).result().integer(1).end();
    return 1;
}

SOUND_EXPORT int SetFrequency(int id, int slot, int frequency) {
    if (trace::active()) [[unlikely]]
        trace::Call("SetFrequency").integer(id).integer(slot).integer(frequency).result().integer(1).end();
    return 1;
}

#ifndef VANTOREL_SOUND_NO_ID
SOUND_EXPORT int GetVesselSoundID3(OBJHANDLE vessel) {
    auto& known = known_vessels();
    const int next = static_cast<int>(known.size());
    int id = known.try_emplace(vessel, next).first->second + VANTOREL_SOUND_ID_BASE;
    if (trace::active()) [[unlikely]]
        trace::Call("GetVesselSoundID3").handle(vessel).result().integer(id).end();
    return id;
}
#endif

SOUND_EXPORT int ReplaceStockOBSound3(int id, int option, char* filename) {
    if (trace::active()) [[unlikely]]
        trace::Call("ReplaceStockOBSound3").integer(id).integer(option).text(filename).result().integer(1).end();
    return 1;
}
