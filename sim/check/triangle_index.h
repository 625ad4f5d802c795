// A bounding-volume hierarchy over triangles, so that the rules ask about the
// few triangles near a point, a box or a ray instead of all of them: the
// checker stays near-linear in the triangles of a detailed mesh. Callbacks
// and results name triangles by their index in the list the index was built from.
#ifndef VANTOREL_SIM_CHECK_TRIANGLE_INDEX_H
#define VANTOREL_SIM_CHECK_TRIANGLE_INDEX_H

#include <cstdint>
#include <limits>
#include <optional>
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

    struct Centre {
        Vec3 at;
        std::size_t id;
    };
    void Split(std::uint32_t at, std::vector<Centre>::iterator begin, std::vector<Centre>::iterator end);
    Box Bound(std::uint32_t at, std::uint32_t* next_slot = nullptr);

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
