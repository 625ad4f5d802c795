#include "check/triangle_index.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace vantorel_sim::check {

namespace {

constexpr std::uint32_t kLeafSize = 4;

double Axis(Vec3 v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }


// Whether the line o + t·d meets the box for some t in [lo, hi], given the
// reciprocal of d. Along an axis d does not move on (inv infinite) the box
// only has to hold o.
bool Slab(const Box& b, Vec3 o, Vec3 inv, double lo, double hi) {
    const double os[3] = {o.x, o.y, o.z}, is[3] = {inv.x, inv.y, inv.z};
    const double bl[3] = {b.lo.x, b.lo.y, b.lo.z}, bh[3] = {b.hi.x, b.hi.y, b.hi.z};
    for (int k = 0; k < 3; ++k) {
        if (std::isinf(is[k])) {
            if (os[k] < bl[k] || os[k] > bh[k]) return false;
            continue;
        }
        const double t0 = (bl[k] - os[k]) * is[k], t1 = (bh[k] - os[k]) * is[k];
        lo = std::max(lo, std::min(t0, t1));
        hi = std::min(hi, std::max(t0, t1));
    }
    return lo <= hi;
}

}  // namespace

TriangleIndex::TriangleIndex(std::vector<Triangle> triangles) : tris_(std::move(triangles)) {
    ids_.resize(tris_.size());
    std::iota(ids_.begin(), ids_.end(), std::size_t{0});
    if (tris_.empty()) return;
    std::vector<Vec3> centres(tris_.size());
    for (std::size_t i = 0; i < tris_.size(); ++i) centres[i] = (tris_[i].a + tris_[i].b + tris_[i].c) * (1.0 / 3);
    nodes_.reserve(2 * tris_.size() / kLeafSize + 2);
    nodes_.emplace_back();
    Build(0, 0, static_cast<std::uint32_t>(tris_.size()), centres);
    // The build sorted the ids; put the triangles in the same order.
    std::vector<Triangle> ordered(tris_.size());
    slot_.resize(tris_.size());
    for (std::size_t s = 0; s < ids_.size(); ++s) {
        ordered[s] = tris_[ids_[s]];
        slot_[ids_[s]] = s;
    }
    tris_ = std::move(ordered);
}

// Fills node `at` with slots [begin, end): a leaf when few, else split at
// the median centre along the longest side of the centres' box into two
// children made next to each other.
void TriangleIndex::Build(std::uint32_t at, std::uint32_t begin, std::uint32_t end, std::vector<Vec3>& centres) {
    Box box, spread;
    for (std::uint32_t s = begin; s < end; ++s) {
        const Triangle& t = tris_[ids_[s]];
        box.Add(t.a), box.Add(t.b), box.Add(t.c);
        spread.Add(centres[ids_[s]]);
    }
    nodes_[at].box = box;
    if (end - begin <= kLeafSize) {
        nodes_[at].first = begin;
        nodes_[at].count = end - begin;
        return;
    }
    const Vec3 size = spread.hi - spread.lo;
    const int axis = size.x >= size.y && size.x >= size.z ? 0 : size.y >= size.z ? 1 : 2;
    const std::uint32_t mid = begin + (end - begin) / 2;
    std::nth_element(ids_.begin() + begin, ids_.begin() + mid, ids_.begin() + end, [&](std::size_t a, std::size_t b) {
        const double ca = Axis(centres[a], axis), cb = Axis(centres[b], axis);
        return ca < cb || (ca == cb && a < b);
    });
    const auto left = static_cast<std::uint32_t>(nodes_.size());
    nodes_.resize(nodes_.size() + 2);
    nodes_[at].first = left;
    Build(left, begin, mid, centres);
    Build(left + 1, mid, end, centres);
}


std::optional<std::size_t> TriangleIndex::AnyHit(Vec3 o, Vec3 d, double lo_t, double hi_t) const {
    bool hit = false;
    std::size_t id = 0;
    const Vec3 inv{1 / d.x, 1 / d.y, 1 / d.z};
    Walk([&](const Box& b) { return !hit && Slab(b, o, inv, lo_t, hi_t); },
         [&](std::uint32_t s) {
             if (hit) return;
             const auto t = RayHit(o, d, tris_[s], -lo_t);
             hit = t.has_value() && *t <= hi_t;
             id = ids_[s];
         });
    return hit ? std::optional<std::size_t>(id) : std::nullopt;
}

bool HiddenWhole(const TriangleIndex& index, const Triangle& t, Vec3 d, double lo_t,
                 std::optional<std::size_t> first, int depth) {
    if (!first) first = index.AnyHit(t.a, d, lo_t, std::numeric_limits<double>::infinity());
    if (!first) return false;
    const Triangle& h = index.triangle(*first);
    if (RayHit(t.b, d, h, -lo_t).has_value() && RayHit(t.c, d, h, -lo_t).has_value()) return true;
    if (depth <= 0) return false;
    // Hidden by several triangles together: try the quarters.
    const Vec3 ab = (t.a + t.b) * 0.5, bc = (t.b + t.c) * 0.5, ca = (t.c + t.a) * 0.5;
    return HiddenWhole(index, {t.a, ab, ca}, d, lo_t, first, depth - 1) &&
           HiddenWhole(index, {ab, t.b, bc}, d, lo_t, {}, depth - 1) &&
           HiddenWhole(index, {ca, bc, t.c}, d, lo_t, {}, depth - 1) &&
           HiddenWhole(index, {ab, bc, ca}, d, lo_t, {}, depth - 1);
}

std::optional<TriangleIndex::Nearest> TriangleIndex::Closest(Vec3 p, double max_m) const {
    return Closest(p, [&](std::size_t id, double) { return PointTriangleDistance(p, triangle(id)); }, max_m);
}

}  // namespace vantorel_sim::check
