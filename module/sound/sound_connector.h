// The connection to the sound library running in the simulator's process.
// The module never loads or links the library: it finds it among the loaded
// modules and resolves its entries by name. Without it every sound request is
// a silent no-op.
#ifndef VANTOREL_SOUND_SOUND_CONNECTOR_H
#define VANTOREL_SOUND_SOUND_CONNECTOR_H

#include <Orbitersdk.h>

#include "vantorel/vessel_layout.h"

namespace vantorel {

constexpr int SOUND_ENTRY_COUNT = 10;
// Entry names in the order they are resolved.
extern const char* const sound_entry_names[SOUND_ENTRY_COUNT];
// Addresses of the entries of the last connect; null where absent.
extern FARPROC SoundEntryTable[SOUND_ENTRY_COUNT];

// The vessel's id in the library, or -1 on any failure (logged).
int ConnectToOrbiterSoundDLL3(OBJHANDLE vessel);

// Each wrapper forwards only with its entry present and the id (0..59), slot
// (1..60) or option code (1..17) in range; otherwise it returns 0 and calls nothing.
int LoadVesselWave(int id, int slot, char* filename, int soundclass);
int PlayVesselWave(int id, int slot, int loop, int volume, int frequency);
int StopVesselWave(int id, int slot);
int SoundOption(int id, int option, int value);

}  // namespace vantorel

#endif
