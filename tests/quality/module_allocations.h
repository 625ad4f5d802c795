// Tells the module's heap allocations apart from everyone else's in a process
// that loads Vantorel.so, by observing the shared allocation counter (the
// binary links tests/support/allocation_counter). An allocation is the
// module's when the module's code asked for it: as the direct caller (cheap
// enough for soak runs), or as the first caller outside the C and C++ runtime
// libraries (also catches a std::string or a path the module builds, while
// what the host allocates for a module call stays the host's).
#ifndef VANTOREL_TESTS_QUALITY_MODULE_ALLOCATIONS_H
#define VANTOREL_TESTS_QUALITY_MODULE_ALLOCATIONS_H

#include <cstddef>

namespace quality {

enum class Attribution { caller, call_path };

// Finds the loaded library whose path ends in this name and watches its code
// from now on. False when no such library is loaded.
bool WatchModule(const char* file_name);
// Stops watching (call before unloading the library).
void ForgetModule();

// Counting of the module's allocations; frees of the allocations seen are
// matched while counting is on or off.
void StartCounting(Attribution how);
void StopCounting();

struct Counts {
    long allocations = 0;  // made by the module while counting
    long live = 0;         // of those, not yet freed
    bool overflow = false; // more live allocations than the tracker holds
};
Counts Current();
void ResetCounts();

// Sizes of the module's allocations in order, up to the first 64 since the
// last reset.
const std::size_t* Sizes(long* n);

}  // namespace quality

#endif
