// Files a run must not leave behind when SIGINT, SIGTERM or SIGHUP ends it:
// output temporaries and scratch folders. The handler removes every
// registered file, then every registered folder, and ends the process by
// the same signal, so a shell or a build tool sees how it ended. A signal
// the process inherited as ignored stays ignored.
//
// The handler may only make async-signal-safe calls, so the paths live in a
// fixed table of absolute paths filled in beforehand, by the one thread that
// runs the job.
//
// Wiring:
//     SignalBlock block;                       // no signal between the two steps
//     const int slot = RegisterForCleanup(temporary, CleanupKind::kFile);
//     ... create the file ...
//     ... later, once renamed or removed:
//     ReleaseCleanup(slot);
#ifndef VANTOREL_SIM_COMMON_SIGNAL_CLEANUP_H
#define VANTOREL_SIM_COMMON_SIGNAL_CLEANUP_H

#include <string>

#ifndef _WIN32
#include <signal.h>
#endif

namespace vantorel_sim {

enum class CleanupKind { kFile, kFolder };

// Slots in the table; registrations beyond it are not cleaned up.
inline constexpr int kCleanupSlots = 32;

// Registers path (made absolute here) and installs the handlers on first
// use. Returns the slot, or -1 when the table is full or the path too long.
int RegisterForCleanup(const std::string& path, CleanupKind kind);
// Forgets a slot (-1 is ignored); nothing is removed.
void ReleaseCleanup(int slot);

// Holds SIGINT, SIGTERM and SIGHUP back while alive, so a file is never
// created without being registered; a held signal arrives at destruction.
class SignalBlock {
public:
    SignalBlock();
    ~SignalBlock();
    SignalBlock(const SignalBlock&) = delete;
    SignalBlock& operator=(const SignalBlock&) = delete;

private:
#ifndef _WIN32
    sigset_t saved_;
#endif
};

}  // namespace vantorel_sim

#endif
