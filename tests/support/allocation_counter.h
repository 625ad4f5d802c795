// One replacement of the global allocation functions for the test binaries
// that count heap use. Linking this library replaces operator new and delete
// (every form) in the whole process, the host runtime and loaded modules
// included; each allocation is counted, and an optional observer sees it with
// the address of the code that called operator new.
#ifndef VANTOREL_TESTS_SUPPORT_ALLOCATION_COUNTER_H
#define VANTOREL_TESTS_SUPPORT_ALLOCATION_COUNTER_H

#include <cstddef>

namespace test_support {

// Allocations through operator new since the program started, from any thread.
long AllocationCount();

// Counts the allocations made while it is alive (from its construction on).
class AllocationCounter {
public:
    AllocationCounter() : start_(AllocationCount()) {}
    long count() const { return AllocationCount() - start_; }

private:
    long start_;
};

// Told of every allocation (with operator new's caller) and every release.
// The observer may allocate: its own allocations are not reported to it.
struct AllocationObserver {
    void (*allocated)(void* p, std::size_t size, const void* caller) = nullptr;
    void (*released)(void* p) = nullptr;
};

// Replaces the observer; a default-constructed one stops observing.
void SetAllocationObserver(const AllocationObserver& observer);

}  // namespace test_support

#endif
