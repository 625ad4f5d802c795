// A bounding-volume hierarchy over triangles, so that the rules ask about the
// few triangles near a point, a box or a ray instead of all of them: the
// checker stays near-linear in the triangles of a detailed mesh. Callbacks
// and results name triangles by their index in the list the index was built from.
#ifndef VANTOREL_SIM_CHECK_TRIANGLE_INDEX_H
#define VANTOREL_SIM_CHECK_TRIANGLE_INDEX_H

#include <cstdint>
#include <limits>
#include <optional>
#include <unordered_set>
#include <vector>

#include "check/geometry.h"

namespace vantorel_sim::check {

class TriangleIndex {
public:
    TriangleIndex() = default;
    explicit TriangleIndex(std::vector<Triangle> triangles);

    std::size_t size() const { return tris_.size(); }
    const Triangle& triangle(std::size_t id) const { return tris_[slot_[id]]; }

    // f(id) for every triangle whose box meets `box`.
    template <class F>
    void ForEachIn(const Box& box, F&& f) const {
        Walk([&](const Box& b) { return b.Overlaps(box); },
             [&](std::uint32_t s) {
                 if (BoxOf(tris_[s]).Overlaps(box)) f(ids_[s]);
             });
    }

    // A triangle the line o + t·d (d a unit vector) meets at some t in
    // [lo_t, hi_t], if there is one.
    std::optional<std::size_t> AnyHit(Vec3 o, Vec3 d, double lo_t, double hi_t) const;

    // The triangle with the least measure(id, best) from p, or nullopt when
    // none is under max_m. measure may return infinity to pass a triangle by;
    // it must never be less than p's distance to the triangle, and `best`
    // (the least so far) lets it skip costly work for one that cannot win.
    // Ties go to the lower id, so the answer does not depend on the tree.
    struct Nearest {
        std::size_t id;
        double measure;
    };
    template <class Measure>
    std::optional<Nearest> Closest(Vec3 p, Measure&& measure, double max_m = kFar) const;
    // The same with the plain point-to-triangle distance.
    std::optional<Nearest> Closest(Vec3 p, double max_m = kFar) const;

private:
    static constexpr double kFar = std::numeric_limits<double>::infinity();
    struct Node {
        Box box;
        std::uint32_t first = 0;  // leaf: first slot; inner: left child (right is first + 1)
        std::uint32_t count = 0;  // triangles in a leaf, 0 for an inner node
    };

    void Build(std::uint32_t at, std::uint32_t begin, std::uint32_t end, std::vector<Vec3>& centres);

    // Depth-first over the nodes `enter` accepts, leaf slots to `leaf`.
    template <class Enter, class Leaf>
    void Walk(Enter&& enter, Leaf&& leaf) const {
        if (nodes_.empty()) return;
        std::uint32_t stack[64];
        int top = 0;
        stack[top++] = 0;
        while (top > 0) {
            const Node& n = nodes_[stack[--top]];
            if (!enter(n.box)) continue;
            if (n.count > 0) {
                for (std::uint32_t s = n.first; s < n.first + n.count; ++s) leaf(s);
            } else {
                stack[top++] = n.first;
                stack[top++] = n.first + 1;
            }
        }
    }

    std::vector<Triangle> tris_;      // in tree order
    std::vector<std::size_t> ids_;    // tree slot -> id
    std::vector<std::size_t> slot_;   // id -> tree slot
    std::vector<Node> nodes_;
};

// Whether one triangle of the index hides all of t from rays along d (a unit
// vector) at t >= lo_t: all three corners behind the same triangle (the hit
// distance is affine across t, the triangle convex), or, splitting t at its
// edge midpoints `depth` times more, each piece so. `first` is a triangle
// hiding corner a, if known.
bool HiddenWhole(const TriangleIndex& index, const Triangle& t, Vec3 d, double lo_t,
                 std::optional<std::size_t> first, int depth = 0);

namespace detail {
struct PointHash {
    std::size_t operator()(const Vec3& p) const {
        const std::hash<double> h;
        return h(p.x) ^ (h(p.y) * 31) ^ (h(p.z) * 1031);
    }
};
struct PointEqual {
    bool operator()(const Vec3& a, const Vec3& b) const { return a.x == b.x && a.y == b.y && a.z == b.z; }
};
using PointSet = std::unordered_set<Vec3, PointHash, PointEqual>;

template <class F>
void Exposed(const TriangleIndex& index, const Triangle& t, Vec3 d, double lo_t, double spacing_m, F& f,
             PointSet& seen, int depth) {
    constexpr double kFar = std::numeric_limits<double>::infinity();
    const auto hider = index.AnyHit(t.a, d, lo_t, kFar);
    if (hider && HiddenWhole(index, t, d, lo_t, hider)) return;
    const double longest = std::max({Length(t.b - t.a), Length(t.c - t.b), Length(t.a - t.c)});
    if (longest <= spacing_m || depth >= kMaxLatticeDepth) {
        for (Vec3 p : {t.a, t.b, t.c})
            if (seen.insert(p).second && !(p.x == t.a.x && p.y == t.a.y && p.z == t.a.z ? hider.has_value()
                                                                                       : index.AnyHit(p, d, lo_t, kFar)))
                f(p);
        return;
    }
    const Vec3 ab = (t.a + t.b) * 0.5, bc = (t.b + t.c) * 0.5, ca = (t.c + t.a) * 0.5;
    for (const Triangle& piece : {Triangle{t.a, ab, ca}, Triangle{ab, t.b, bc}, Triangle{ca, bc, t.c}, Triangle{ab, bc, ca}})
        Exposed(index, piece, d, lo_t, spacing_m, f, seen, depth + 1);
}
}  // namespace detail

// f(p) once at each point of t's surface lattice (SampleSurface) from which
// a ray along d (a unit vector) meets no triangle of `index` at any t >= lo_t.
// The lattice is walked as t split at its edge midpoints, and a piece that
// one triangle hides whole is passed over without visiting its points.
template <class F>
void ForEachExposed(const TriangleIndex& index, const Triangle& t, Vec3 d, double lo_t, double spacing_m, F&& f) {
    detail::PointSet seen;
    detail::Exposed(index, t, d, lo_t, spacing_m, f, seen, 0);
}

template <class Measure>
std::optional<TriangleIndex::Nearest> TriangleIndex::Closest(Vec3 p, Measure&& measure, double max_m) const {
    std::optional<Nearest> best;
    double best_m = max_m;
    if (nodes_.empty()) return best;
    // Nearer child first, so that most of the tree is cut off early.
    std::uint32_t stack[64];
    int top = 0;
    stack[top++] = 0;
    while (top > 0) {
        const Node& n = nodes_[stack[--top]];
        if (n.box.Distance(p) > best_m) continue;
        if (n.count == 0) {
            const bool left_first = nodes_[n.first].box.Distance(p) <= nodes_[n.first + 1].box.Distance(p);
            stack[top++] = left_first ? n.first + 1 : n.first;
            stack[top++] = left_first ? n.first : n.first + 1;
            continue;
        }
        for (std::uint32_t s = n.first; s < n.first + n.count; ++s) {
            const double m = measure(ids_[s], best_m);
            if (m < best_m || (best && m == best_m && ids_[s] < best->id)) {
                best_m = m;
                best = Nearest{ids_[s], m};
            }
        }
    }
    return best;
}

}  // namespace vantorel_sim::check

#endif
