#include "module_allocations.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <link.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "allocation_counter.h"

namespace quality {

namespace {

std::uintptr_t code_lo = 0, code_hi = 0;
bool counting = false;
Attribution attribution = Attribution::caller;
Counts counts;

constexpr int MAX_SIZES = 64;
std::size_t sizes[MAX_SIZES];
long sizes_seen = 0;

// Open-addressed set of the module's live allocations; no heap of its own.
constexpr std::size_t SLOTS = 4096;
void* live[SLOTS];

std::size_t Slot(const void* p) { return (reinterpret_cast<std::uintptr_t>(p) >> 4) % SLOTS; }

void Remember(void* p) {
    for (std::size_t i = Slot(p), n = 0; n < SLOTS; i = (i + 1) % SLOTS, ++n) {
        if (!live[i]) {
            live[i] = p;
            ++counts.live;
            return;
        }
    }
    counts.overflow = true;
}

void Forget(void* p) {
    if (counts.live == 0) return;
    for (std::size_t i = Slot(p), n = 0; n < SLOTS; i = (i + 1) % SLOTS, ++n) {
        if (live[i] == p) {
            // Re-insert the rest of the probe run so later look-ups still find it.
            live[i] = nullptr;
            --counts.live;
            for (std::size_t j = (i + 1) % SLOTS; live[j]; j = (j + 1) % SLOTS) {
                void* q = live[j];
                live[j] = nullptr;
                --counts.live;
                Remember(q);
            }
            return;
        }
        if (!live[i]) return;
    }
}

bool InModule(const void* address) {
    const auto a = reinterpret_cast<std::uintptr_t>(address);
    return a >= code_lo && a < code_hi;
}

const void* own_code = nullptr;  // any address in this binary

// Allocations reach operator new through the C++ and C runtime libraries (or
// the sanitizer's); the first frame outside those and this binary is the code
// that asked for the memory.
bool PassThrough(const void* frame) {
    Dl_info info;
    if (!dladdr(frame, &info) || !info.dli_fname) return true;
    Dl_info own;
    if (dladdr(own_code, &own) && own.dli_fbase == info.dli_fbase) return true;
    for (const char* lib : {"libstdc++", "libc.so", "libc-", "libgcc_s", "libasan", "libubsan", "ld-linux"})
        if (std::strstr(info.dli_fname, lib)) return true;
    return false;
}

bool ModuleAsked(const void* caller) {
    if (InModule(caller)) return true;
    if (attribution != Attribution::call_path) return false;
    void* frames[32];
    const int n = backtrace(frames, 32);
    for (int i = 0; i < n; ++i) {
        if (InModule(frames[i])) return true;
        if (!PassThrough(frames[i])) return false;
    }
    return false;
}

// The allocation counter calls these outside its own allocations, so the
// backtrace's are never seen here.
void Allocated(void* p, std::size_t size, const void* caller) {
    if (!counting || code_hi == 0 || !ModuleAsked(caller)) return;
    ++counts.allocations;
    if (sizes_seen < MAX_SIZES) sizes[sizes_seen] = size;
    ++sizes_seen;
    Remember(p);
}

void Released(void* p) { Forget(p); }

void Observe() {
    test_support::AllocationObserver o;
    o.allocated = Allocated;
    o.released = Released;
    test_support::SetAllocationObserver(o);
}

struct Segment {
    const char* name;
    std::uintptr_t lo, hi;
};

int FindCode(dl_phdr_info* info, std::size_t, void* data) {
    auto* s = static_cast<Segment*>(data);
    const std::size_t len = std::strlen(info->dlpi_name), want = std::strlen(s->name);
    if (len < want || std::strcmp(info->dlpi_name + len - want, s->name) != 0) return 0;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& ph = info->dlpi_phdr[i];
        if (ph.p_type != PT_LOAD || !(ph.p_flags & PF_X)) continue;
        const std::uintptr_t lo = info->dlpi_addr + ph.p_vaddr;
        if (s->lo == 0 || lo < s->lo) s->lo = lo;
        if (lo + ph.p_memsz > s->hi) s->hi = lo + ph.p_memsz;
    }
    return 1;
}

}  // namespace

bool WatchModule(const char* file_name) {
    Observe();
    // The first backtrace loads the unwinder; do that before anything is counted.
    void* warm[4];
    backtrace(warm, 4);
    own_code = reinterpret_cast<const void*>(&WatchModule);
    Segment s{file_name, 0, 0};
    dl_iterate_phdr(FindCode, &s);
    code_lo = s.lo;
    code_hi = s.hi;
    return code_hi != 0;
}

void ForgetModule() { code_lo = code_hi = 0; }

void StartCounting(Attribution how) {
    Observe();
    attribution = how;
    counting = true;
}

void StopCounting() { counting = false; }

Counts Current() { return counts; }

void ResetCounts() {
    counts.allocations = 0;
    counts.overflow = false;
    sizes_seen = 0;
}

const std::size_t* Sizes(long* n) {
    *n = sizes_seen < MAX_SIZES ? sizes_seen : MAX_SIZES;
    return sizes;
}

}  // namespace quality
