// Rule 5: no moving part passes through the static structure. Each animation
// is sampled across its range with the others at their initial states; every
// edge of a moving triangle is tested against the static triangles whose
// boxes meet the moving group's box. An edge counts when its ends lie clearly
// on both sides of a static face and it crosses inside that face, away from
// the part's hinge line (parts touch their structure along the hinge).
#include <algorithm>
#include <cmath>
#include <map>

#include "check/asset_check.h"
#include "check/geometry.h"

namespace vantorel_sim::check {

namespace {

struct StaticFace {
    Triangle t;
    Box box;
    unsigned group;
};

struct Worst {
    double depth_m = 0;
    double state = 0;
};

// Depth of a crossing: how far the edge's nearer end lies beyond the face.
double Depth(Vec3 p, Vec3 q, const Triangle& t) {
    const Vec3 n = host::mesh::Normalised(host::mesh::Cross(t.b - t.a, t.c - t.a));
    return std::min(std::fabs(host::mesh::Dot(p - t.a, n)), std::fabs(host::mesh::Dot(q - t.a, n)));
}

void SampleAnimation(CheckContext& c, unsigned anim, unsigned mesh, const std::vector<const Part*>& parts,
                     const std::vector<StaticFace>& faces,
                     std::map<std::pair<const Part*, std::pair<unsigned, unsigned>>, Worst>& worst) {
    const int n = std::max(2, c.tol().motion_samples);
    for (int k = 0; k < n; ++k) {
        const double s = static_cast<double>(k) / (n - 1);
        const host::mesh::Mesh posed = c.Posed(mesh, {{anim, s}});
        for (const Part* p : parts)
            for (unsigned g : p->groups) {
                if (g >= posed.groups.size()) continue;
                const auto tris = TrianglesOf(posed, {g});
                Box gbox;
                for (const Triangle& t : tris) gbox.Add(t.a), gbox.Add(t.b), gbox.Add(t.c);
                std::vector<const StaticFace*> near;
                for (const StaticFace& f : faces)
                    if (f.box.Overlaps(gbox)) near.push_back(&f);
                for (const Triangle& t : tris) {
                    const Box tbox = BoxOf(t);
                    const Vec3 ends[3][2] = {{t.a, t.b}, {t.b, t.c}, {t.c, t.a}};
                    for (const StaticFace* f : near) {
                        if (!f->box.Overlaps(tbox)) continue;
                        for (const auto& e : ends) {
                            const auto x = SegmentCrossing(e[0], e[1], f->t, c.tol().crossing_clearance_m);
                            if (!x) continue;
                            if (p->rotation && PointLineDistance(*x, p->ref, p->axis) <= c.tol().hinge_m) continue;
                            Worst& w = worst[{p, {g, f->group}}];
                            if (const double d = Depth(e[0], e[1], f->t); d > w.depth_m) w = {d, s};
                        }
                    }
                }
            }
    }
}

}  // namespace

std::vector<Finding> CheckMotion(CheckContext& c) {
    std::vector<Finding> out;
    for (unsigned mesh : {0u, 1u}) {
        const host::mesh::Mesh* stored = c.Stored(mesh);
        if (stored == nullptr) continue;
        std::vector<StaticFace> faces;
        for (unsigned g : c.StaticGroups(mesh))
            for (const Triangle& t : TrianglesOf(*stored, {g})) faces.push_back({t, BoxOf(t), g});
        std::map<unsigned, std::vector<const Part*>> by_anim;
        for (const Part& p : c.parts())
            if (p.mesh == mesh) by_anim[p.anim].push_back(&p);
        for (const auto& [anim, parts] : by_anim) {
            std::map<std::pair<const Part*, std::pair<unsigned, unsigned>>, Worst> worst;
            SampleAnimation(c, anim, mesh, parts, faces, worst);
            for (const auto& [key, w] : worst) {
                char state[32];
                std::snprintf(state, sizeof state, "%.3g", w.state);
                out.push_back({5, "mesh " + std::to_string(mesh) + " " + Where(key.second.first, *key.first) +
                                      ": passes " + Metres(w.depth_m) + " through static group " +
                                      std::to_string(key.second.second) + " at state " + state});
            }
        }
    }
    return out;
}

}  // namespace vantorel_sim::check
