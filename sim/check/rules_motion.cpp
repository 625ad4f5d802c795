// Rule 5: no moving part passes through the static structure. Each animation
// is sampled across its range with the others at their initial states. A
// moving group passes through a static face where the two surfaces cut
// through each other away from the part's hinge line (parts meet their
// structure along the hinge). How deep: the static face stands in a plane,
// with the group's other faces in that plane (a flat wall however it is cut
// into triangles); over that plane region the moving surface reaches so far
// to one side and so far to the other, and the lesser of the two is the depth.
// A part that only touches the structure reaches nowhere on one side.
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <set>

#include "check/asset_check.h"
#include "check/geometry.h"
#include "check/triangle_index.h"

namespace vantorel_sim::check {

namespace {

constexpr double kInPlane_m = 1e-6;  // a face whose corners lie this near a plane is in it

struct Worst {
    double depth_m = 0;
    double state = 0;
};
using WorstMap = std::map<std::pair<const Part*, std::pair<unsigned, unsigned>>, Worst>;

// The static faces of one mesh, with the plane regions they form in their groups.
class Statics {
public:
    explicit Statics(const StaticFaces& statics) : statics_(statics), region_(statics.faces.size(), kNone) {
        for (std::size_t id = 0; id < statics.group.size(); ++id) members_[statics.group[id]].push_back(id);
    }

    const TriangleIndex& faces() const { return statics_.faces; }

    struct Region {
        unsigned group;
        Vec3 origin, normal;
        TriangleIndex faces;
    };
    // The faces of id's group that lie in id's plane.
    std::size_t RegionOf(std::size_t id) {
        if (region_[id] != kNone) return region_[id];
        const unsigned g = statics_.group[id];
        const Triangle& t = faces().triangle(id);
        const Vec3 n = UnitNormal(t);
        std::vector<Triangle> members;
        const std::size_t r = regions_.size();
        for (std::size_t other : members_[g]) {
            const Triangle& o = faces().triangle(other);
            if (region_[other] != kNone) continue;
            if (std::fabs(host::mesh::Dot(o.a - t.a, n)) > kInPlane_m || std::fabs(host::mesh::Dot(o.b - t.a, n)) > kInPlane_m ||
                std::fabs(host::mesh::Dot(o.c - t.a, n)) > kInPlane_m)
                continue;
            region_[other] = r;
            members.push_back(o);
        }
        regions_.push_back({g, t.a, n, TriangleIndex(std::move(members))});
        return r;
    }
    const Region& region(std::size_t r) const { return regions_[r]; }

private:
    static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
    const StaticFaces& statics_;
    std::map<unsigned, std::vector<std::size_t>> members_;  // face ids by group
    std::vector<std::size_t> region_;
    std::vector<Region> regions_;
};

bool NearHinge(const Part& p, Vec3 x, double hinge_m) {
    return p.rotation && PointLineDistance(x, p.ref, p.axis) <= hinge_m;
}

// How far the piece t of a moving surface reaches ahead of and behind the
// region's plane, over the region and away from the hinge: on t's lattice
// `spacing_m` apart, walked as t split at its edge midpoints. The distance
// from the plane is affine across a piece, so a piece whose corners reach no
// farther than found so far is passed over, as is one that misses the region
// or lies in the hinge zone whole.
void Reach(const Statics::Region& r, const Triangle& t, const Part& part, const Tolerances& tol, double& ahead,
           double& behind, int depth = 0) {
    const Vec3 n = r.normal;
    const double d[3] = {host::mesh::Dot(t.a - r.origin, n), host::mesh::Dot(t.b - r.origin, n),
                         host::mesh::Dot(t.c - r.origin, n)};
    if (std::max({d[0], d[1], d[2]}) <= ahead && -std::min({d[0], d[1], d[2]}) <= behind) return;
    Box shadow;  // t projected onto the region's plane
    shadow.Add(t.a - n * d[0]), shadow.Add(t.b - n * d[1]), shadow.Add(t.c - n * d[2]);
    bool over = false;
    r.faces.ForEachIn(shadow.Grown(kInPlane_m), [&](std::size_t) { over = true; });
    if (!over) return;
    if (NearHinge(part, t.a, tol.hinge_m) && NearHinge(part, t.b, tol.hinge_m) && NearHinge(part, t.c, tol.hinge_m))
        return;  // the zone round the axis is convex
    const double longest = std::max({Length(t.b - t.a), Length(t.c - t.b), Length(t.a - t.c)});
    if (longest <= tol.crossing_clearance_m || depth >= kMaxLatticeDepth) {
        constexpr double kFar = std::numeric_limits<double>::infinity();
        const Vec3 corners[3] = {t.a, t.b, t.c};
        for (int i = 0; i < 3; ++i) {
            if (NearHinge(part, corners[i], tol.hinge_m) || !r.faces.AnyHit(corners[i], n, -kFar, kFar)) continue;
            ahead = std::max(ahead, d[i]);
            behind = std::max(behind, -d[i]);
        }
        return;
    }
    const Vec3 ab = (t.a + t.b) * 0.5, bc = (t.b + t.c) * 0.5, ca = (t.c + t.a) * 0.5;
    for (const Triangle& piece : {Triangle{t.a, ab, ca}, Triangle{ab, t.b, bc}, Triangle{ca, bc, t.c}, Triangle{ab, bc, ca}})
        Reach(r, piece, part, tol, ahead, behind, depth + 1);
}

// The depth the posed group passes through the region: the lesser of its
// reach to either side, nothing when a side cannot pass the clearance.
double Depth(const Statics::Region& r, const std::vector<Triangle>& tris, const Part& part, const Tolerances& tol) {
    double most_ahead = 0, most_behind = 0;
    for (const Triangle& t : tris)
        for (Vec3 v : {t.a, t.b, t.c}) {
            const double d = host::mesh::Dot(v - r.origin, r.normal);
            most_ahead = std::max(most_ahead, d);
            most_behind = std::max(most_behind, -d);
        }
    if (std::min(most_ahead, most_behind) <= tol.crossing_clearance_m) return 0;
    double ahead = 0, behind = 0;
    for (const Triangle& t : tris) Reach(r, t, part, tol, ahead, behind);
    return std::min(ahead, behind);
}

// The plane regions the posed group cuts through away from the hinge.
std::set<std::size_t> CutRegions(Statics& statics, const std::vector<Triangle>& tris, const Part& part,
                                 double hinge_m) {
    std::set<std::size_t> cut;
    for (const Triangle& m : tris)
        statics.faces().ForEachIn(BoxOf(m), [&](std::size_t id) {
            const auto seg = Crossing(m, statics.faces().triangle(id));
            // Distance from a line is convex along the segment: its ends say.
            if (!seg || (NearHinge(part, seg->p, hinge_m) && NearHinge(part, seg->q, hinge_m))) return;
            cut.insert(statics.RegionOf(id));
        });
    return cut;
}

void SampleAnimation(CheckContext& c, unsigned anim, unsigned mesh, const std::vector<const Part*>& parts,
                     Statics& statics, WorstMap& worst, const std::function<void(double)>& progress) {
    const int n = std::max(2, c.tol().motion_samples);
    for (int k = 0; k < n; ++k) {
        const double s = static_cast<double>(k) / (n - 1);
        progress(static_cast<double>(k) / n);
        for (const Part* p : parts)
            for (unsigned g : p->groups) {
                const std::vector<Triangle> tris = c.PosedTriangles(mesh, {{anim, s}}, {g});
                for (std::size_t r : CutRegions(statics, tris, *p, c.tol().hinge_m)) {
                    const Statics::Region& region = statics.region(r);
                    const double depth = Depth(region, tris, *p, c.tol());
                    if (depth <= c.tol().crossing_clearance_m) continue;
                    Worst& w = worst[{p, {g, region.group}}];
                    if (depth > w.depth_m) w = {depth, s};
                }
            }
    }
}

}  // namespace

std::vector<Finding> CheckMotion(CheckContext& c) {
    std::vector<Finding> out;
    for (unsigned mesh : {0u, 1u}) {
        if (c.Stored(mesh) == nullptr) continue;
        Statics statics(c.Statics(mesh));
        std::map<unsigned, std::vector<const Part*>> by_anim;
        for (const Part& p : c.parts())
            if (p.mesh == mesh) by_anim[p.anim].push_back(&p);
        std::size_t done = 0;
        for (const auto& [anim, parts] : by_anim) {
            WorstMap worst;
            // Each mesh half the rule, each animation its share of that.
            SampleAnimation(c, anim, mesh, parts, statics, worst, [&](double f) {
                c.Advance(0.5 * mesh + 0.5 * (static_cast<double>(done) + f) / static_cast<double>(by_anim.size()));
            });
            ++done;
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
