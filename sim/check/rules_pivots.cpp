// Rule 2: each rotation turns its groups about an axis that passes through
// their geometry (a hinge or pivot they carry), and each wheel spins about
// its own centre. Every point of the axis serves as the reference point, so
// the distance measured is from the axis line to the nearest triangle.
#include <cmath>
#include <limits>

#include "check/asset_check.h"
#include "check/geometry.h"

namespace vantorel_sim::check {

std::vector<Finding> CheckPivots(CheckContext& c) {
    std::vector<Finding> out;
    for (const Part& p : c.parts()) {
        const host::mesh::Mesh* m = c.Stored(p.mesh);
        if (m == nullptr || !p.rotation || p.groups.empty()) continue;
        double best = std::numeric_limits<double>::infinity();
        unsigned nearest = p.groups.front();
        for (unsigned g : p.groups)
            for (const Triangle& t : TrianglesOf(*m, {g})) {
                const double d = LineTriangleDistance(p.ref, p.axis, t);
                if (d < best) best = d, nearest = g;
            }
        if (std::isinf(best)) continue;  // no geometry: rule 1 says so
        if (best > c.tol().pivot_m)
            out.push_back({2, Where(nearest, p) + ": the rotation axis passes " + Metres(best) +
                                  " from the geometry it turns"});
        if (!c.IsWheel(p)) continue;
        for (unsigned g : p.groups) {
            const auto tris = TrianglesOf(*m, {g});
            if (tris.empty()) continue;
            Box box;  // a surface's box is its triangles' corners'
            for (const Triangle& t : tris) box.Add(t.a), box.Add(t.b), box.Add(t.c);
            const double off = PointLineDistance(box.Centre(), p.ref, p.axis);
            if (off > c.tol().wheel_centre_m)
                out.push_back({2, Where(g, p) + ": the spin axis misses the wheel's centre by " + Metres(off)});
        }
    }
    return out;
}

}  // namespace vantorel_sim::check
