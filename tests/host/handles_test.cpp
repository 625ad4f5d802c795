// The bits of a host handle: the 64-bit layout the pointers carry here, and
// the 32-bit layout of the x86 Windows build, tested as plain integers.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <tuple>

#include "src/handles.h"

namespace {

using host::detail::Decoded;
using host::detail::Kind;

struct Case {
    Kind kind;
    std::uint32_t v;
    std::uint32_t n;
};

// The largest indexes each layout keeps, and small ones.
const Case kCases32[] = {
    {Kind::vessel, 0, 0},          {Kind::vessel, 1, 0},         {Kind::vessel, (1u << 24) - 1, 0},
    {Kind::mesh, 0, 0},            {Kind::airfoil, 3, 7},        {Kind::ctrlsurf, 1, 1},
    {Kind::dragelem, 2, 0},        {Kind::propellant, 0, 1023},  {Kind::thruster, 16383, 0},
    {Kind::thgroup, 16383, 1023},  {Kind::component, 5, 43},     {Kind::component, 0, 1},
};

TEST(Handles32, EveryKindReadsBackWhatWasPacked) {
    for (const Case& c : kCases32) {
        Decoded d{};
        ASSERT_TRUE(host::detail::unpack32(host::detail::pack32(c.kind, c.v, c.n), d)) << static_cast<int>(c.kind);
        EXPECT_EQ(d.kind, c.kind);
        EXPECT_EQ(d.v, c.v) << static_cast<int>(c.kind);
        EXPECT_EQ(d.n, c.n) << static_cast<int>(c.kind);
    }
}

TEST(Handles32, DistinctObjectsGetDistinctValues) {
    std::set<std::uint32_t> seen;
    for (const Case& c : kCases32) {
        EXPECT_TRUE(seen.insert(host::detail::pack32(c.kind, c.v, c.n)).second)
            << "kind " << static_cast<int>(c.kind) << " v " << c.v << " n " << c.n;
    }
}

TEST(Handles32, UserAddressesAndUnknownKindsAreNotHandles) {
    const std::uint32_t not_handles[] = {
        0x00000000u, 0x00401000u, 0x7FFFFFFFu,  // user-space addresses
        0xA1000000u, 0xC1000000u,               // another tag
        0xB0000000u,                            // kind 0
        0xBA000000u, 0xBF000000u,               // kinds past the last
    };
    for (std::uint32_t x : not_handles) {
        Decoded d{};
        EXPECT_FALSE(host::detail::unpack32(x, d)) << std::hex << x;
    }
}

TEST(Handles32, ValuesStayInTheUpperHalfOfTheAddressSpace) {
    for (const Case& c : kCases32) EXPECT_GE(host::detail::pack32(c.kind, c.v, c.n), 0x80000000u);
}

TEST(Handles, PointerHandlesReadBack) {
    const Case cases[] = {{Kind::vessel, 0, 0}, {Kind::vessel, 4095, 0}, {Kind::mesh, 0, 2},
                          {Kind::thruster, 3, 1023}, {Kind::component, 0, 43}};
    for (const Case& c : cases) {
        Decoded d{};
        ASSERT_TRUE(host::detail::decode(host::detail::encode(c.kind, c.v, c.n), d));
        EXPECT_EQ(std::tie(d.kind, d.v, d.n), std::tie(c.kind, c.v, c.n));
        EXPECT_EQ(host::detail::handle_index(host::detail::encode(c.kind, c.v, c.n), c.kind), static_cast<int>(c.n));
    }
    int local = 0;
    Decoded d{};
    EXPECT_FALSE(host::detail::decode(&local, d)) << "an object's address is not a handle";
    EXPECT_FALSE(host::detail::decode(nullptr, d));
}

}  // namespace
