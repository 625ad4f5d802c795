// The checker's triangle index answers as a look at every triangle would:
// nearest triangle, any hit along a line, triangles in a box. Flat boxes and
// rays along an axis through a box's face are the cases a slab test gets wrong.
#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "check/triangle_index.h"

namespace {

namespace check = vantorel_sim::check;
using check::Triangle;
using check::Vec3;

// Random triangles and, among them, axis-aligned squares on a 0.25 m grid.
std::vector<Triangle> Scene(std::mt19937& rng) {
    std::uniform_real_distribution<double> at(-2, 2), size(-0.3, 0.3);
    std::vector<Triangle> tris;
    for (int i = 0; i < 300; ++i) {
        const Vec3 a{at(rng), at(rng), at(rng)};
        tris.push_back({a, a + Vec3{size(rng), size(rng), size(rng)}, a + Vec3{size(rng), size(rng), size(rng)}});
    }
    for (int i = -4; i <= 4; ++i) {
        const double c = 0.25 * i;
        tris.push_back({{c, -1, -1}, {c, 1, -1}, {c, 1, 1}});  // in the plane x = c
        tris.push_back({{-1, c, -1}, {1, c, 1}, {1, c, -1}});  // y = c
    }
    return tris;
}

TEST(TriangleIndex, AnswersAsEveryTriangleWould) {
    constexpr double kFar = std::numeric_limits<double>::infinity();
    std::mt19937 rng(7);
    const std::vector<Triangle> tris = Scene(rng);
    const check::TriangleIndex index(tris);
    std::uniform_real_distribution<double> at(-2.5, 2.5);
    std::uniform_int_distribution<int> grid(-10, 10);
    const Vec3 axes[] = {{1, 0, 0}, {0, -1, 0}, {0, 0, 1}, {0.6, 0.8, 0}};
    for (int k = 0; k < 400; ++k) {
        // Half the points on the grid the squares stand on.
        const Vec3 p = k % 2 ? Vec3{at(rng), at(rng), at(rng)} : Vec3{0.25 * grid(rng), 0.25 * grid(rng), 0.125 * grid(rng)};
        double best = kFar;
        for (const Triangle& t : tris) best = std::min(best, check::PointTriangleDistance(p, t));
        const auto near = index.Closest(p);
        ASSERT_TRUE(near.has_value());
        EXPECT_DOUBLE_EQ(near->measure, best) << k;
        for (const Vec3& d : axes) {
            bool hit = false;
            for (const Triangle& t : tris) hit = hit || check::RayHit(p, d, t, kFar).has_value();
            EXPECT_EQ(index.AnyHit(p, d, -kFar, kFar).has_value(), hit) << k;
        }
        check::Box box;
        box.Add(p), box.Add(p + Vec3{0.2, 0, 0.1});  // flat in y
        std::size_t inside = 0, found = 0;
        for (const Triangle& t : tris) inside += check::BoxOf(t).Overlaps(box);
        index.ForEachIn(box, [&](std::size_t) { ++found; });
        EXPECT_EQ(found, inside) << k;
    }
}

}  // namespace
