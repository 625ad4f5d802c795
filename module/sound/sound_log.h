// The sound connector's log file, "OrbiterSound_Log.txt" in the process's
// current directory: its only diagnostic output.
#ifndef VANTOREL_SOUND_SOUND_LOG_H
#define VANTOREL_SOUND_SOUND_LOG_H

namespace vantorel {

// At most this many entries are written per module load, across all vessels.
constexpr int SOUND_LOG_MAX_ENTRIES = 101;

extern const char SOUND_LOG_FILE[];

// Appends one entry: a separator line, then the message and the detail, each
// on a line of its own when not null. A log that cannot be written drops the
// entry silently.
void WriteSoundLog(const char* message, const char* detail);

// Entries written since the module was loaded.
int SoundLogEntryCount();

}  // namespace vantorel

#endif
