// Rule 1: the groups the components name exist and have geometry; the two
// cockpit meshes share numbering and animated geometry; the displays are flat
// and face the eye.
#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "check/asset_check.h"
#include "check/geometry.h"
#include "check/triangle_index.h"
#include "vantorel/vessel_layout.h"

namespace vantorel_sim::check {

namespace layout = vantorel::layout;
using host::mesh::Dot;
using host::mesh::Length;
using host::mesh::Normalised;

namespace {

constexpr double kDegenerateArea_m2 = 1e-8;
constexpr double kSameVertex_m = 1e-6;
constexpr double kCompareSpacing_m = 0.005;  // lit and unlit surfaces cut differently: compared this finely

void CheckNamedGroups(CheckContext& c, std::vector<Finding>& out) {
    std::set<std::pair<unsigned, unsigned>> seen;  // (mesh, group)
    for (const Part& p : c.parts()) {
        const host::mesh::Mesh* m = c.Stored(p.mesh);
        if (m == nullptr) {
            out.push_back({1, "component " + std::to_string(p.index + 1) + " (" + p.anim_name + "): moves mesh " +
                                  std::to_string(p.mesh) + ", which the vessel does not have"});
            continue;
        }
        for (unsigned g : p.groups) {
            if (!seen.insert({p.mesh, g}).second) continue;
            const std::string where = "mesh " + std::to_string(p.mesh) + " " + Where(g, p);
            if (g >= m->groups.size()) {
                out.push_back({1, where + ": missing, the mesh has " + std::to_string(m->groups.size()) + " groups"});
                continue;
            }
            const auto tris = TrianglesOf(*m, {g});
            if (tris.empty()) {
                out.push_back({1, where + ": empty"});
                continue;
            }
            double area = 0;
            for (const auto& t : tris) area += Length(host::mesh::Cross(t.b - t.a, t.c - t.a)) / 2;
            if (area < kDegenerateArea_m2) out.push_back({1, where + ": degenerate, area " + std::to_string(area) + " m2"});
        }
    }
}

// Farthest a point of `from`'s surface lies from `to`'s (sampled).
double SurfaceGap(const std::vector<Triangle>& from, const TriangleIndex& to) {
    double worst = 0;
    for (const Triangle& t : from)
        SampleSurface(t, kCompareSpacing_m, [&](Vec3 p) {
            const auto near = to.Closest(p);
            worst = std::max(worst, near ? near->measure : std::numeric_limits<double>::infinity());
        });
    return worst;
}

// How far the lit cockpit's group moves from the cockpit's: vertex to vertex
// when both cut the surface alike (every point of a triangle moves no farther
// than its corners), else the farther of the two surfaces from the other.
void CompareGroup(const host::mesh::Group& ga, const host::mesh::Group& gb, const std::string& where,
                  std::vector<Finding>& out) {
    if (ga.vertices.size() == gb.vertices.size() && ga.triangles == gb.triangles) {
        double worst = 0;
        for (std::size_t i = 0; i < ga.vertices.size(); ++i)
            worst = std::max(worst, Length(ga.vertices[i].pos_m - gb.vertices[i].pos_m));
        if (worst > kSameVertex_m) out.push_back({1, where + ": a vertex differs from the cockpit's by " + Metres(worst)});
        return;
    }
    host::mesh::Mesh one, other;
    one.groups = {ga};
    other.groups = {gb};
    const std::vector<Triangle> a = TrianglesOf(one, {0}), b = TrianglesOf(other, {0});
    const double gap = std::max(SurfaceGap(a, TriangleIndex(b)), SurfaceGap(b, TriangleIndex(a)));
    if (gap > kSameVertex_m) out.push_back({1, where + ": its surface lies " + Metres(gap) + " from the cockpit's"});
}

void CompareCockpits(CheckContext& c, std::vector<Finding>& out) {
    const host::mesh::Mesh* a = c.cockpit();
    const host::mesh::Mesh* b = c.cockpit_lit();
    if (a == nullptr || b == nullptr) return;
    if (a->groups.size() != b->groups.size()) {
        out.push_back({1, "the lit cockpit has " + std::to_string(b->groups.size()) + " groups, the cockpit " +
                              std::to_string(a->groups.size())});
        return;
    }
    std::set<unsigned> seen;
    for (const Part& p : c.parts()) {
        if (p.mesh != layout::kCockpitMesh) continue;
        for (unsigned g : p.groups)
            if (g < a->groups.size() && seen.insert(g).second)
                CompareGroup(a->groups[g], b->groups[g], "lit cockpit " + Where(g, p), out);
    }
}

void CheckDisplays(CheckContext& c, std::vector<Finding>& out) {
    const host::mesh::Mesh* m = c.cockpit();
    const auto& e = layout::kEyePoint_m;
    const Vec3 eye = Vec3{e[0], e[1], e[2]} - c.scene().MeshOffset(layout::kCockpitMesh);
    for (unsigned g : {layout::kLeftDisplayGroup, layout::kRightDisplayGroup, layout::kThirdDisplayGroup,
                       layout::kHudGroup}) {
        const std::string where = "display group " + std::to_string(g) + " (no component)";
        const auto tris = g < m->groups.size() ? TrianglesOf(*m, {g}) : std::vector<Triangle>{};
        if (tris.empty()) {
            out.push_back({1, where + ": missing or empty"});
            continue;
        }
        const Vec3 n = Normalised(AreaNormal(tris));
        const Vec3 centre = AreaCentroid(tris);
        // Distance from a plane is affine on a triangle: its corners hold the extremes.
        double off = 0;
        for (const Triangle& t : tris)
            for (Vec3 v : {t.a, t.b, t.c}) off = std::max(off, std::fabs(Dot(v - centre, n)));
        if (Length(n) == 0 || off > c.tol().flat_m)
            out.push_back({1, where + ": not a flat surface, a vertex lies " + Metres(off) + " off its plane"});
        const double facing = Dot(n, Normalised(eye - centre));
        if (facing <= 0)
            out.push_back({1, where + ": faces away from the eye (" + Metres(Length(eye - centre)) + " from it)"});
    }
}

}  // namespace

std::vector<Finding> CheckGroups(CheckContext& c) {
    std::vector<Finding> out;
    CheckNamedGroups(c, out);
    CompareCockpits(c, out);
    CheckDisplays(c, out);
    return out;
}

}  // namespace vantorel_sim::check
