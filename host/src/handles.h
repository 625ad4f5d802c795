// Host handles carry their meaning in the pointer value: a tag, the kind, the
// creating vessel's index and the object's index. No allocation per handle,
// and a handle of a destroyed vessel decodes to a dead record instead of
// dangling memory. The tag makes the value a non-canonical address, so a
// module that dereferences one faults at once.
#ifndef VANTOREL_HOST_HANDLES_H
#define VANTOREL_HOST_HANDLES_H

#include <cstdint>

namespace host::detail {

enum class Kind : unsigned {
    vessel = 1,
    mesh,
    airfoil,
    ctrlsurf,
    dragelem,
    propellant,
    thruster,
    thgroup,
    component,
};

struct Decoded {
    Kind kind;
    std::uint32_t v;
    std::uint32_t n;
};

constexpr std::uintptr_t kTag = 0xB;

// The layout with 32-bit pointers: tag:4 kind:4, then vessel:24 for a vessel
// and vessel:14 object:10 for the objects of one. The tag puts the value in
// the upper half of the address space, which user code does not get. Plain
// integers, so that 64-bit builds test the layout too.
static_assert(static_cast<unsigned>(Kind::component) < 16, "kinds must fit in four bits");
constexpr std::uint32_t kMaxVessels32 = 1u << 24;
constexpr std::uint32_t kMaxObjectVessels32 = 1u << 14;
constexpr std::uint32_t kMaxObjects32 = 1u << 10;

constexpr std::uint32_t pack32(Kind k, std::uint32_t v, std::uint32_t n) {
    std::uint32_t x = (static_cast<std::uint32_t>(kTag) << 28) | (static_cast<std::uint32_t>(k) << 24);
    if (k == Kind::vessel) return x | (v & (kMaxVessels32 - 1));
    return x | ((v & (kMaxObjectVessels32 - 1)) << 10) | (n & (kMaxObjects32 - 1));
}

constexpr bool unpack32(std::uint32_t x, Decoded& d) {
    if ((x >> 28) != kTag) return false;
    unsigned k = (x >> 24) & 0xFu;
    if (k < static_cast<unsigned>(Kind::vessel) || k > static_cast<unsigned>(Kind::component)) return false;
    d.kind = static_cast<Kind>(k);
    if (d.kind == Kind::vessel) {
        d.v = x & (kMaxVessels32 - 1);
        d.n = 0;
    } else {
        d.v = (x >> 10) & (kMaxObjectVessels32 - 1);
        d.n = x & (kMaxObjects32 - 1);
    }
    return true;
}

#if UINTPTR_MAX > 0xFFFFFFFFu

// tag:4 kind:8 vessel:28 object:24
inline void* encode(Kind k, std::uint32_t v, std::uint32_t n) {
    std::uintptr_t x = (kTag << 60) | (static_cast<std::uintptr_t>(k) << 52) |
                       (static_cast<std::uintptr_t>(v & 0xFFFFFFFu) << 24) | (n & 0xFFFFFFu);
    return reinterpret_cast<void*>(x);
}

inline bool decode(const void* h, Decoded& d) {
    auto x = reinterpret_cast<std::uintptr_t>(h);
    if ((x >> 60) != kTag) return false;
    unsigned k = static_cast<unsigned>((x >> 52) & 0xFFu);
    if (k < static_cast<unsigned>(Kind::vessel) || k > static_cast<unsigned>(Kind::component)) return false;
    d.kind = static_cast<Kind>(k);
    d.v = static_cast<std::uint32_t>((x >> 24) & 0xFFFFFFFu);
    d.n = static_cast<std::uint32_t>(x & 0xFFFFFFu);
    return true;
}

#else

inline void* encode(Kind k, std::uint32_t v, std::uint32_t n) {
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(pack32(k, v, n)));
}

inline bool decode(const void* h, Decoded& d) {
    return unpack32(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(h)), d);
}

#endif

// The object's position in its vessel's list, or -1 for a handle of another kind.
inline int handle_index(const void* h, Kind kind) {
    Decoded d;
    if (!decode(h, d) || d.kind != kind) return -1;
    return static_cast<int>(d.n);
}

const char* kind_name(Kind k);

}  // namespace host::detail

#endif
