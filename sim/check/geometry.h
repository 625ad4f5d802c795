// Distances and intersections between points, lines, segments and triangles,
// for the asset checks.
#ifndef VANTOREL_SIM_CHECK_GEOMETRY_H
#define VANTOREL_SIM_CHECK_GEOMETRY_H

#include <array>
#include <optional>
#include <vector>

#include "mesh/mesh_file.h"
#include "mesh/affine.h"

namespace vantorel_sim::check {

using host::mesh::Vec3;

struct Triangle {
    Vec3 a, b, c;
};

struct Box {
    Vec3 lo{1e300, 1e300, 1e300}, hi{-1e300, -1e300, -1e300};
    void Add(Vec3 p);
    bool Empty() const { return lo.x > hi.x; }
    Box Grown(double by) const;
    bool Overlaps(const Box& o) const;
    Vec3 Centre() const { return (lo + hi) * 0.5; }
};

// The triangles of the listed groups, vertices with `offset` added.
std::vector<Triangle> TrianglesOf(const host::mesh::Mesh& mesh, const std::vector<unsigned>& groups,
                                  Vec3 offset = {});
std::vector<Vec3> VerticesOf(const host::mesh::Mesh& mesh, const std::vector<unsigned>& groups);
Box BoxOf(const std::vector<Vec3>& points);
Box BoxOf(const Triangle& t);

double PointTriangleDistance(Vec3 p, const Triangle& t);
double PointLineDistance(Vec3 p, Vec3 origin, Vec3 unit_dir);
// Shortest distance between the infinite line and the triangle (0 when it passes through).
double LineTriangleDistance(Vec3 origin, Vec3 unit_dir, const Triangle& t);
// Distance along the ray to where it meets the triangle, if it does (t may be
// slightly negative down to -min_t).
std::optional<double> RayHit(Vec3 origin, Vec3 unit_dir, const Triangle& t, double min_t);
// Where the segment pq crosses the triangle, if both ends lie more than
// `clearance` from its plane on opposite sides.
std::optional<Vec3> SegmentCrossing(Vec3 p, Vec3 q, const Triangle& t, double clearance);

// Area-weighted normal (outward for clockwise vertices seen from outside) and
// total area of the triangles.
Vec3 AreaNormal(const std::vector<Triangle>& tris);

}  // namespace vantorel_sim::check

#endif
