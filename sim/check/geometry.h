// Distances and intersections between points, lines, segments and triangles,
// for the asset checks.
#ifndef VANTOREL_SIM_CHECK_GEOMETRY_H
#define VANTOREL_SIM_CHECK_GEOMETRY_H

#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "mesh/mesh_file.h"
#include "mesh/affine.h"

namespace vantorel_sim::check {

using host::mesh::Length;
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
    // From p to the nearest point of the box (0 inside it).
    double Distance(Vec3 p) const;
};

// The triangles of the listed groups, vertices with `offset` added.
std::vector<Triangle> TrianglesOf(const host::mesh::Mesh& mesh, const std::vector<unsigned>& groups,
                                  Vec3 offset = {});
// Per triangle of TrianglesOf: the unit face normal turned to the side its
// vertex normals face (the winding's side when they have none).
std::vector<Vec3> OutwardNormals(const host::mesh::Mesh& mesh, const std::vector<unsigned>& groups);
Box BoxOf(const Triangle& t);

double PointTriangleDistance(Vec3 p, const Triangle& t);
double PointLineDistance(Vec3 p, Vec3 origin, Vec3 unit_dir);
// Shortest distance between the infinite line and the triangle (0 when it passes through).
double LineTriangleDistance(Vec3 origin, Vec3 unit_dir, const Triangle& t);
// Distance along the ray to where it meets the triangle, if it does (t may be
// slightly negative down to -min_t); a ray within a millionth of a radian of
// the triangle's plane meets it edge-on and does not count.
std::optional<double> RayHit(Vec3 origin, Vec3 unit_dir, const Triangle& t, double min_t);

// The point of the triangle nearest to p.
Vec3 ClosestPoint(Vec3 p, const Triangle& t);
// Unit normal, outward for clockwise vertices seen from outside; zero for a
// degenerate triangle.
Vec3 UnitNormal(const Triangle& t);

// Where two triangles cut through each other: the segment they share, unless
// they lie in one plane or only touch it at a single point.
struct Segment {
    Vec3 p, q;
};
std::optional<Segment> Crossing(const Triangle& a, const Triangle& b);

constexpr int kMaxLatticeDepth = 10;  // 1024 divisions of an edge at most
// Divisions of each edge: the least power of two that makes them no longer
// than spacing_m, up to 2^max_depth.
int LatticeDivisions(const Triangle& t, double spacing_m, int max_depth = kMaxLatticeDepth);

// Calls f(point) at the points of a lattice over the triangle, corners and
// edges included, no farther apart than spacing_m (up to a cap on huge
// triangles). The lattice divides each edge into a power of two, so the
// lattice of a triangle split at its edge midpoints is the union of its
// quarters' lattices: the samples are the surface's, not the triangulation's.
template <class F>
void SampleSurface(const Triangle& t, double spacing_m, F&& f) {
    const int n = LatticeDivisions(t, spacing_m);
    const Vec3 u = (t.b - t.a) * (1.0 / n), v = (t.c - t.a) * (1.0 / n);
    for (int i = 0; i <= n; ++i)
        for (int j = 0; i + j <= n; ++j) f(t.a + u * i + v * j);
}

// (u, v) with p's projection onto t's plane = a + (b - a)·u + (c - a)·v.
std::pair<double, double> Barycentric(Vec3 p, const Triangle& t);

// Centre of area of the triangles (the mean corner when they have none).
Vec3 AreaCentroid(const std::vector<Triangle>& tris);
// The box around the part of the triangles that lies at or below height y_m.
Box BoxBelow(const std::vector<Triangle>& tris, double y_m);

// Area-weighted normal (outward for clockwise vertices seen from outside) and
// total area of the triangles.
Vec3 AreaNormal(const std::vector<Triangle>& tris);

}  // namespace vantorel_sim::check

#endif
