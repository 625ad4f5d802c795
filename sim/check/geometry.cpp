#include "check/geometry.h"

#include <algorithm>
#include <cmath>

namespace vantorel_sim::check {

using host::mesh::Cross;
using host::mesh::Dot;
using host::mesh::Length;

void Box::Add(Vec3 p) {
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
}

Box Box::Grown(double by) const { return {lo - Vec3{by, by, by}, hi + Vec3{by, by, by}}; }

bool Box::Overlaps(const Box& o) const {
    return lo.x <= o.hi.x && o.lo.x <= hi.x && lo.y <= o.hi.y && o.lo.y <= hi.y && lo.z <= o.hi.z && o.lo.z <= hi.z;
}

std::vector<Triangle> TrianglesOf(const host::mesh::Mesh& mesh, const std::vector<unsigned>& groups, Vec3 offset) {
    std::vector<Triangle> out;
    for (unsigned g : groups) {
        if (g >= mesh.groups.size()) continue;
        const auto& grp = mesh.groups[g];
        for (const auto& t : grp.triangles)
            out.push_back({grp.vertices[t[0]].pos_m + offset, grp.vertices[t[1]].pos_m + offset,
                           grp.vertices[t[2]].pos_m + offset});
    }
    return out;
}

std::vector<Vec3> VerticesOf(const host::mesh::Mesh& mesh, const std::vector<unsigned>& groups) {
    std::vector<Vec3> out;
    for (unsigned g : groups)
        if (g < mesh.groups.size())
            for (const auto& v : mesh.groups[g].vertices) out.push_back(v.pos_m);
    return out;
}

Box BoxOf(const std::vector<Vec3>& points) {
    Box b;
    for (Vec3 p : points) b.Add(p);
    return b;
}

Box BoxOf(const Triangle& t) {
    Box b;
    b.Add(t.a);
    b.Add(t.b);
    b.Add(t.c);
    return b;
}

namespace {

double PointSegmentDistance(Vec3 p, Vec3 a, Vec3 b) {
    const Vec3 ab = b - a;
    const double len2 = Dot(ab, ab);
    const double s = len2 > 0 ? std::clamp(Dot(p - a, ab) / len2, 0.0, 1.0) : 0.0;
    return Length(p - (a + ab * s));
}

// Distance between an infinite line and a segment.
double LineSegmentDistance(Vec3 o, Vec3 d, Vec3 a, Vec3 b) {
    const Vec3 e = b - a, w = a - o;
    const double de = Dot(d, e), ee = Dot(e, e), dw = Dot(d, w), ew = Dot(e, w);
    const double denom = ee - de * de;  // |d| = 1
    double s = denom > 1e-15 ? (de * dw - ew) / denom : 0.0;
    s = std::clamp(s, 0.0, 1.0);
    const Vec3 q = a + e * s;
    return PointLineDistance(q, o, d);
}

}  // namespace

double PointLineDistance(Vec3 p, Vec3 origin, Vec3 unit_dir) {
    const Vec3 w = p - origin;
    return Length(w - unit_dir * Dot(w, unit_dir));
}

double PointTriangleDistance(Vec3 p, const Triangle& t) {
    const Vec3 n = Cross(t.b - t.a, t.c - t.a);
    const double n2 = Dot(n, n);
    if (n2 > 1e-24) {
        const double dist = Dot(p - t.a, n) / n2;
        const Vec3 q = p - n * dist;  // projection onto the plane
        const bool inside = Dot(Cross(t.b - t.a, q - t.a), n) >= 0 && Dot(Cross(t.c - t.b, q - t.b), n) >= 0 &&
                            Dot(Cross(t.a - t.c, q - t.c), n) >= 0;
        if (inside) return std::fabs(dist) * std::sqrt(n2);
    }
    return std::min({PointSegmentDistance(p, t.a, t.b), PointSegmentDistance(p, t.b, t.c),
                     PointSegmentDistance(p, t.c, t.a)});
}

std::optional<double> RayHit(Vec3 o, Vec3 d, const Triangle& t, double min_t) {
    const Vec3 e1 = t.b - t.a, e2 = t.c - t.a;
    const Vec3 pv = Cross(d, e2);
    const double det = Dot(e1, pv);
    if (std::fabs(det) < 1e-15) return std::nullopt;
    const double inv = 1.0 / det;
    const Vec3 tv = o - t.a;
    const double u = Dot(tv, pv) * inv;
    if (u < 0 || u > 1) return std::nullopt;
    const Vec3 qv = Cross(tv, e1);
    const double v = Dot(d, qv) * inv;
    if (v < 0 || u + v > 1) return std::nullopt;
    const double dist = Dot(e2, qv) * inv;
    if (dist < -min_t) return std::nullopt;
    return dist;
}

double LineTriangleDistance(Vec3 o, Vec3 d, const Triangle& t) {
    if (RayHit(o, d, t, 1e300).has_value()) return 0.0;
    return std::min({LineSegmentDistance(o, d, t.a, t.b), LineSegmentDistance(o, d, t.b, t.c),
                     LineSegmentDistance(o, d, t.c, t.a)});
}

std::optional<Vec3> SegmentCrossing(Vec3 p, Vec3 q, const Triangle& t, double clearance) {
    const Vec3 n = host::mesh::Normalised(Cross(t.b - t.a, t.c - t.a));
    if (Length(n) == 0) return std::nullopt;
    const double dp = Dot(p - t.a, n), dq = Dot(q - t.a, n);
    if (!((dp > clearance && dq < -clearance) || (dp < -clearance && dq > clearance))) return std::nullopt;
    const Vec3 x = p + (q - p) * (dp / (dp - dq));
    const bool inside = Dot(Cross(t.b - t.a, x - t.a), n) >= 0 && Dot(Cross(t.c - t.b, x - t.b), n) >= 0 &&
                        Dot(Cross(t.a - t.c, x - t.c), n) >= 0;
    return inside ? std::optional<Vec3>(x) : std::nullopt;
}

Vec3 AreaNormal(const std::vector<Triangle>& tris) {
    Vec3 sum;
    for (const Triangle& t : tris) sum = sum + Cross(t.b - t.a, t.c - t.a) * 0.5;
    return sum;
}

}  // namespace vantorel_sim::check
