// Which points of a surface a ray along a direction leaves without meeting
// other triangles (the underside seen from below, the outer face of a door),
// walked on the surface's lattice so that the answer is the surface's, not
// its triangulation's.
#ifndef VANTOREL_SIM_CHECK_EXPOSURE_H
#define VANTOREL_SIM_CHECK_EXPOSURE_H

#include <bit>
#include <cstdint>
#include <limits>
#include <optional>
#include <unordered_set>

#include "check/geometry.h"
#include "check/triangle_index.h"

namespace vantorel_sim::check {

// Two indexes searched as one: the second's ids follow the first's. The
// second is searched first: a few moving parts in front of a big structure.
class Obstacles {
public:
    Obstacles(const TriangleIndex& first, const TriangleIndex& second) : first_(first), second_(second) {}

    std::optional<std::size_t> AnyHit(Vec3 o, Vec3 d, double lo_t, double hi_t) const {
        if (const auto hit = second_.AnyHit(o, d, lo_t, hi_t)) return first_.size() + *hit;
        return first_.AnyHit(o, d, lo_t, hi_t);
    }
    const Triangle& triangle(std::size_t id) const {
        return id < first_.size() ? first_.triangle(id) : second_.triangle(id - first_.size());
    }

private:
    const TriangleIndex& first_;
    const TriangleIndex& second_;
};

// Whether one obstacle hides all of t from rays along d (a unit vector) at
// t >= lo_t: all three corners behind the same triangle (the hit distance is
// affine across t, the triangle convex).
inline bool HiddenWhole(const Obstacles& obstacles, const Triangle& t, Vec3 d, double lo_t) {
    const auto first = obstacles.AnyHit(t.a, d, lo_t, std::numeric_limits<double>::infinity());
    if (!first) return false;
    const Triangle& h = obstacles.triangle(*first);
    return RayHit(t.b, d, h, -lo_t).has_value() && RayHit(t.c, d, h, -lo_t).has_value();
}

struct PointHash {
    std::size_t operator()(const Vec3& p) const {
        // The bits of the three numbers, mixed (the points are compared exactly).
        std::uint64_t h = 0;
        for (double v : {p.x, p.y, p.z}) h = (h ^ std::bit_cast<std::uint64_t>(v)) * 0x9E3779B97F4A7C15ull;
        return static_cast<std::size_t>(h ^ (h >> 29));
    }
};
struct PointEqual {
    bool operator()(const Vec3& a, const Vec3& b) const { return a.x == b.x && a.y == b.y && a.z == b.z; }
};
// Lattice points visited: shared by the triangles of one surface, a corner
// they share is visited once (midpoints are computed alike on either side).
using PointSet = std::unordered_set<Vec3, PointHash, PointEqual>;

// f(p) once at each point of t's surface lattice (SampleSurface) not yet in
// `seen` from which a ray along d (a unit vector) meets no obstacle at any
// t >= lo_t. The lattice is walked as t split at its edge midpoints, and a
// piece that one obstacle hides whole is passed over without visiting its
// points.
template <class F>
void ForEachExposed(const Obstacles& obstacles, const Triangle& t, Vec3 d, double lo_t, double spacing_m,
                    PointSet& seen, F&& f, int depth = 0) {
    constexpr double kFar = std::numeric_limits<double>::infinity();
    const double longest = std::max({Length(t.b - t.a), Length(t.c - t.b), Length(t.a - t.c)});
    if (longest <= spacing_m || depth >= kMaxLatticeDepth) {
        for (Vec3 p : {t.a, t.b, t.c})
            if (seen.insert(p).second && !obstacles.AnyHit(p, d, lo_t, kFar)) f(p);
        return;
    }
    if (HiddenWhole(obstacles, t, d, lo_t)) return;
    const Vec3 ab = (t.a + t.b) * 0.5, bc = (t.b + t.c) * 0.5, ca = (t.c + t.a) * 0.5;
    for (const Triangle& piece : {Triangle{t.a, ab, ca}, Triangle{ab, t.b, bc}, Triangle{ca, bc, t.c}, Triangle{ab, bc, ca}})
        ForEachExposed(obstacles, piece, d, lo_t, spacing_m, seen, f, depth + 1);
}

}  // namespace vantorel_sim::check

#endif
