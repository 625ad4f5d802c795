#include "check/triangle_index.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vantorel_sim::check {

namespace {

constexpr std::uint32_t kLeafSize = 4;

double Axis(Vec3 v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

// Where the line o + t·d enters the box, clipped to [lo, hi], given the
// reciprocal of d; infinity when it misses. Along an axis d does not move on
// (inv infinite) the box only has to hold o.
double Entry(const Box& b, Vec3 o, Vec3 inv, double lo, double hi) {
    constexpr double kMiss = std::numeric_limits<double>::infinity();
    const double os[3] = {o.x, o.y, o.z}, is[3] = {inv.x, inv.y, inv.z};
    const double bl[3] = {b.lo.x, b.lo.y, b.lo.z}, bh[3] = {b.hi.x, b.hi.y, b.hi.z};
    for (int k = 0; k < 3; ++k) {
        if (std::isinf(is[k])) {
            if (os[k] < bl[k] || os[k] > bh[k]) return kMiss;
            continue;
        }
        const double t0 = (bl[k] - os[k]) * is[k], t1 = (bh[k] - os[k]) * is[k];
        lo = std::max(lo, std::min(t0, t1));
        hi = std::min(hi, std::max(t0, t1));
    }
    return lo <= hi ? lo : kMiss;
}

}  // namespace

TriangleIndex::TriangleIndex(std::vector<Triangle> triangles) {
    const std::size_t n = triangles.size();
    if (n == 0) return;
    std::vector<Centre> centres(n);
    for (std::size_t i = 0; i < n; ++i)
        centres[i] = {(triangles[i].a + triangles[i].b + triangles[i].c) * (1.0 / 3), i};
    nodes_.reserve(2 * n / kLeafSize + 2);
    nodes_.emplace_back();
    Split(0, centres.begin(), centres.end());
    ids_.resize(n);
    slot_.resize(n);
    tris_.resize(n);
    for (std::size_t s = 0; s < n; ++s) {
        ids_[s] = centres[s].id;
        slot_[ids_[s]] = s;
        tris_[s] = triangles[ids_[s]];
    }
    Bound(0);
}

// Orders [begin, end) into node `at`: a leaf when few, else two children
// next to each other, split at the median centre along the longest side of
// the centres' box.
void TriangleIndex::Split(std::uint32_t at, std::vector<Centre>::iterator begin, std::vector<Centre>::iterator end) {
    const auto count = static_cast<std::uint32_t>(end - begin);
    if (count <= kLeafSize) {
        nodes_[at].count = count;
        return;  // first slot: filled in by Bound
    }
    Box spread;
    for (auto it = begin; it != end; ++it) spread.Add(it->at);
    const Vec3 size = spread.hi - spread.lo;
    const int axis = size.x >= size.y && size.x >= size.z ? 0 : size.y >= size.z ? 1 : 2;
    const auto mid = begin + count / 2;
    std::nth_element(begin, mid, end, [axis](const Centre& a, const Centre& b) {
        const double ca = Axis(a.at, axis), cb = Axis(b.at, axis);
        return ca < cb || (ca == cb && a.id < b.id);
    });
    const auto left = static_cast<std::uint32_t>(nodes_.size());
    nodes_.resize(nodes_.size() + 2);
    nodes_[at].first = left;
    Split(left, begin, mid);
    Split(left + 1, mid, end);
}

// Boxes from the leaves up, leaves numbered through the slots in order.
Box TriangleIndex::Bound(std::uint32_t at, std::uint32_t* next_slot) {
    std::uint32_t first_slot = 0;
    if (next_slot == nullptr) next_slot = &first_slot;
    Node& node = nodes_[at];
    Box box;
    if (node.count > 0) {
        node.first = *next_slot;
        *next_slot += node.count;
        for (std::uint32_t s = node.first; s < node.first + node.count; ++s)
            box.Add(tris_[s].a), box.Add(tris_[s].b), box.Add(tris_[s].c);
    } else {
        const std::uint32_t left = node.first;
        box = Bound(left, next_slot);
        const Box right = Bound(left + 1, next_slot);
        box.Add(right.lo), box.Add(right.hi);
    }
    nodes_[at].box = box;
    return box;
}

// Nearer boxes along the line first: a hit near the start ends the search.
std::optional<std::size_t> TriangleIndex::AnyHit(Vec3 o, Vec3 d, double lo_t, double hi_t) const {
    constexpr double kMiss = std::numeric_limits<double>::infinity();
    const Vec3 inv{1 / d.x, 1 / d.y, 1 / d.z};
    if (nodes_.empty() || Entry(nodes_[0].box, o, inv, lo_t, hi_t) == kMiss) return std::nullopt;
    std::uint32_t stack[64];
    int top = 0;
    stack[top++] = 0;
    while (top > 0) {
        const Node& n = nodes_[stack[--top]];
        if (n.count > 0) {
            for (std::uint32_t s = n.first; s < n.first + n.count; ++s)
                if (const auto t = RayHit(o, d, tris_[s], -lo_t); t && *t <= hi_t) return ids_[s];
            continue;
        }
        const double tl = Entry(nodes_[n.first].box, o, inv, lo_t, hi_t);
        const double tr = Entry(nodes_[n.first + 1].box, o, inv, lo_t, hi_t);
        const std::uint32_t near = tl <= tr ? n.first : n.first + 1, far = near == n.first ? n.first + 1 : n.first;
        if (std::max(tl, tr) != kMiss) stack[top++] = far;
        if (std::min(tl, tr) != kMiss) stack[top++] = near;
    }
    return std::nullopt;
}

std::optional<TriangleIndex::Nearest> TriangleIndex::Closest(Vec3 p, double max_m) const {
    return Closest(p, [&](std::size_t id, double) { return PointTriangleDistance(p, triangle(id)); }, max_m);
}

}  // namespace vantorel_sim::check
