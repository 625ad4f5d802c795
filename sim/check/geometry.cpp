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

double Box::Distance(Vec3 p) const {
    const Vec3 out{std::max({lo.x - p.x, 0.0, p.x - hi.x}), std::max({lo.y - p.y, 0.0, p.y - hi.y}),
                   std::max({lo.z - p.z, 0.0, p.z - hi.z})};
    return Length(out);
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

std::vector<Vec3> OutwardNormals(const host::mesh::Mesh& mesh, const std::vector<unsigned>& groups) {
    std::vector<Vec3> out;
    for (unsigned g : groups) {
        if (g >= mesh.groups.size()) continue;
        const auto& grp = mesh.groups[g];
        for (const auto& t : grp.triangles) {
            const Vec3 n = UnitNormal({grp.vertices[t[0]].pos_m, grp.vertices[t[1]].pos_m, grp.vertices[t[2]].pos_m});
            const Vec3 said = grp.vertices[t[0]].normal + grp.vertices[t[1]].normal + grp.vertices[t[2]].normal;
            out.push_back(Dot(n, said) < 0 ? n * -1.0 : n);
        }
    }
    return out;
}

Box BoxOf(const Triangle& t) {
    Box b;
    b.Add(t.a);
    b.Add(t.b);
    b.Add(t.c);
    return b;
}

namespace {

constexpr double kEdgeOn = 1e-6;  // |cos| of the angle between ray and normal below which a face is met edge-on

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
    // det = -|e1 x e2| cos(ray, normal): a face met edge-on hides nothing.
    const double det = Dot(e1, pv);
    if (std::fabs(det) < std::max(1e-15, kEdgeOn * Length(Cross(e1, e2)))) return std::nullopt;
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

// Ericson's walk over the triangle's Voronoi regions.
Vec3 ClosestPoint(Vec3 p, const Triangle& t) {
    const Vec3 ab = t.b - t.a, ac = t.c - t.a, ap = p - t.a;
    const double d1 = Dot(ab, ap), d2 = Dot(ac, ap);
    if (d1 <= 0 && d2 <= 0) return t.a;
    const Vec3 bp = p - t.b;
    const double d3 = Dot(ab, bp), d4 = Dot(ac, bp);
    if (d3 >= 0 && d4 <= d3) return t.b;
    const double vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0) return t.a + ab * (d1 / (d1 - d3));
    const Vec3 cp = p - t.c;
    const double d5 = Dot(ab, cp), d6 = Dot(ac, cp);
    if (d6 >= 0 && d5 <= d6) return t.c;
    const double vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0) return t.a + ac * (d2 / (d2 - d6));
    const double va = d3 * d6 - d5 * d4;
    if (va <= 0 && d4 - d3 >= 0 && d5 - d6 >= 0) return t.b + (t.c - t.b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
    const double denom = va + vb + vc;
    if (denom <= 0) return t.a;  // degenerate: every region test failed
    return t.a + ab * (vb / denom) + ac * (vc / denom);
}

Vec3 UnitNormal(const Triangle& t) { return host::mesh::Normalised(Cross(t.b - t.a, t.c - t.a)); }

namespace {

// The part of segment pq inside triangle t, both in t's plane (n its normal).
std::optional<Segment> ClipToTriangle(Vec3 p, Vec3 q, const Triangle& t, Vec3 n) {
    double lo = 0, hi = 1;
    const Vec3 corners[3] = {t.a, t.b, t.c};
    for (int i = 0; i < 3; ++i) {
        const Vec3 a = corners[i], b = corners[(i + 1) % 3];
        const Vec3 inward = Cross(n, b - a);  // inside: Dot(x - a, inward) >= 0
        const double fp = Dot(p - a, inward), fq = Dot(q - a, inward);
        if (fp < 0 && fq < 0) return std::nullopt;
        if (fp < 0) lo = std::max(lo, fp / (fp - fq));
        if (fq < 0) hi = std::min(hi, fp / (fp - fq));
    }
    if (lo > hi) return std::nullopt;
    return Segment{p + (q - p) * lo, p + (q - p) * hi};
}

}  // namespace

std::optional<Segment> Crossing(const Triangle& a, const Triangle& b) {
    const Vec3 n = UnitNormal(b);
    if (Length(n) == 0 || Length(UnitNormal(a)) == 0) return std::nullopt;
    const Vec3 v[3] = {a.a, a.b, a.c};
    double d[3];
    for (int i = 0; i < 3; ++i) d[i] = Dot(v[i] - b.a, n);
    if ((d[0] > 0 && d[1] > 0 && d[2] > 0) || (d[0] < 0 && d[1] < 0 && d[2] < 0)) return std::nullopt;
    if (d[0] == 0 && d[1] == 0 && d[2] == 0) return std::nullopt;  // one plane: no cut through
    // Where a's edges meet b's plane (a corner on the plane counts once).
    Vec3 ends[2];
    int found = 0;
    for (int i = 0; i < 3 && found < 2; ++i) {
        const int j = (i + 1) % 3;
        if (d[i] == 0) ends[found++] = v[i];
        else if ((d[i] < 0) != (d[j] < 0) && d[j] != 0) ends[found++] = v[i] + (v[j] - v[i]) * (d[i] / (d[i] - d[j]));
    }
    if (found < 2) return std::nullopt;
    return ClipToTriangle(ends[0], ends[1], b, n);
}

int LatticeDivisions(const Triangle& t, double spacing_m, int max_depth) {
    const double longest = std::max({Length(t.b - t.a), Length(t.c - t.b), Length(t.a - t.c)});
    int n = 1;
    while (longest > spacing_m * n && n < (1 << max_depth)) n *= 2;
    return n;
}

std::pair<double, double> Barycentric(Vec3 p, const Triangle& t) {
    const Vec3 e1 = t.b - t.a, e2 = t.c - t.a, w = p - t.a;
    const double d11 = Dot(e1, e1), d12 = Dot(e1, e2), d22 = Dot(e2, e2), dw1 = Dot(w, e1), dw2 = Dot(w, e2);
    const double det = d11 * d22 - d12 * d12;
    if (det <= 0) return {0, 0};
    return {(d22 * dw1 - d12 * dw2) / det, (d11 * dw2 - d12 * dw1) / det};
}

Vec3 AreaCentroid(const std::vector<Triangle>& tris) {
    Vec3 sum, corners;
    double area = 0;
    for (const Triangle& t : tris) {
        const double w = Length(Cross(t.b - t.a, t.c - t.a));
        sum = sum + (t.a + t.b + t.c) * (w / 3);
        corners = corners + (t.a + t.b + t.c) * (1.0 / 3);
        area += w;
    }
    if (area > 0) return sum * (1.0 / area);
    return tris.empty() ? Vec3{} : corners * (1.0 / static_cast<double>(tris.size()));
}

Box BoxBelow(const std::vector<Triangle>& tris, double y_m) {
    Box box;
    for (const Triangle& t : tris) {
        const Vec3 v[3] = {t.a, t.b, t.c};
        for (int i = 0; i < 3; ++i) {
            const Vec3 p = v[i], q = v[(i + 1) % 3];
            if (p.y <= y_m) box.Add(p);
            if ((p.y < y_m) != (q.y < y_m) && p.y != q.y) box.Add(p + (q - p) * ((y_m - p.y) / (q.y - p.y)));
        }
    }
    return box;
}

Vec3 AreaNormal(const std::vector<Triangle>& tris) {
    Vec3 sum;
    for (const Triangle& t : tris) sum = sum + Cross(t.b - t.a, t.c - t.a) * 0.5;
    return sum;
}

}  // namespace vantorel_sim::check
