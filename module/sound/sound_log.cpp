#include "sound/sound_log.h"

#include <cerrno>
#include <cstdio>

namespace vantorel {

const char SOUND_LOG_FILE[] = "OrbiterSound_Log.txt";

namespace {

const char LOG_HEADER[] = "Orbiter Sound Log Started\n*****************************\n\n";
const char LOG_SEPARATOR[] = "--------------------------------------";

int log_entry_counter = 0;

// The header goes only into a log that does not exist yet. A log that exists
// but cannot be opened for reading (permissions, a directory in its place) is
// left alone: recreating it would wipe what it holds. The failed open's errno
// tells the two apart without a file-system query that would allocate.
void CreateLogIfMissing() {
    errno = 0;
    if (std::FILE* existing = std::fopen(SOUND_LOG_FILE, "r+t")) {
        std::fclose(existing);
        return;
    }
    if (errno != ENOENT) return;
    if (std::FILE* created = std::fopen(SOUND_LOG_FILE, "w+t")) {
        std::fprintf(created, "%s", LOG_HEADER);
        std::fclose(created);
    }
}

}  // namespace

void WriteSoundLog(const char* message, const char* detail) {
    if (log_entry_counter > SOUND_LOG_MAX_ENTRIES - 1) return;
    CreateLogIfMissing();
    std::FILE* log = std::fopen(SOUND_LOG_FILE, "a+t");
    if (!log) return;
    std::fprintf(log, "%s\n", LOG_SEPARATOR);
    if (message) std::fprintf(log, "%s\n", message);
    if (detail) std::fprintf(log, "%s\n", detail);
    ++log_entry_counter;
    std::fclose(log);
}

int SoundLogEntryCount() { return log_entry_counter; }

}  // namespace vantorel
