#include "allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace test_support {

namespace {

std::atomic<long> allocations{0};
std::atomic<void (*)(void*, std::size_t, const void*)> on_allocated{nullptr};
std::atomic<void (*)(void*)> on_released{nullptr};
thread_local bool in_observer = false;  // allocations of the observer itself

void* Allocate(std::size_t size, std::size_t align, const void* caller) {
    void* p = align > alignof(std::max_align_t) ? std::aligned_alloc(align, (size + align - 1) / align * align)
                                                 : std::malloc(size ? size : 1);
    if (!p) return nullptr;
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (auto seen = on_allocated.load(std::memory_order_relaxed); seen && !in_observer) {
        in_observer = true;
        seen(p, size, caller);
        in_observer = false;
    }
    return p;
}

void* AllocateOrThrow(std::size_t size, std::size_t align, const void* caller) {
    if (void* p = Allocate(size, align, caller)) return p;
    throw std::bad_alloc();
}

void Release(void* p) {
    if (!p) return;
    if (auto seen = on_released.load(std::memory_order_relaxed); seen && !in_observer) {
        in_observer = true;
        seen(p);
        in_observer = false;
    }
    std::free(p);
}

}  // namespace

long AllocationCount() { return allocations.load(std::memory_order_relaxed); }

void SetAllocationObserver(const AllocationObserver& o) {
    on_allocated.store(o.allocated);
    on_released.store(o.released);
}

}  // namespace test_support

using test_support::Allocate;
using test_support::AllocateOrThrow;
using test_support::Release;

// The caller of operator new: the code that asked for the memory.
#define CALLER __builtin_return_address(0)
#define ALIGN(a) static_cast<std::size_t>(a)

void* operator new(std::size_t n) { return AllocateOrThrow(n, 0, CALLER); }
void* operator new[](std::size_t n) { return AllocateOrThrow(n, 0, CALLER); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n, 0, CALLER); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n, 0, CALLER); }
void* operator new(std::size_t n, std::align_val_t a) { return AllocateOrThrow(n, ALIGN(a), CALLER); }
void* operator new[](std::size_t n, std::align_val_t a) { return AllocateOrThrow(n, ALIGN(a), CALLER); }
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return Allocate(n, ALIGN(a), CALLER);
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return Allocate(n, ALIGN(a), CALLER);
}
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete(void* p, std::align_val_t) noexcept { Release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { Release(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { Release(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { Release(p); }
