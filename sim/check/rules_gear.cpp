// Rules 3 and 4: with the gear down each wheel stands on its touchdown point;
// with the gear up nothing of a leg or wheel shows from below, and no closed
// door stands out of the skin.
#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <utility>
#include <vector>

#include "check/asset_check.h"
#include "check/geometry.h"
#include "vantorel/vessel_layout.h"

namespace vantorel_sim::check {

namespace layout = vantorel::layout;
using host::mesh::Dot;
using host::mesh::Length;

namespace {

constexpr double kRayStart_m = 0.001;  // a vertex lying on its cover counts as covered

std::set<unsigned> WheelGroups(const CheckContext& c) {
    std::set<unsigned> out;
    for (const Part& p : c.parts())
        if (c.IsWheel(p) && p.mesh == layout::kExteriorMesh) out.insert(p.groups.begin(), p.groups.end());
    return out;
}

// Gear components that carry a wheel are legs; the others are doors.
void SplitGear(const CheckContext& c, std::vector<const Part*>& legs, std::vector<const Part*>& doors) {
    const std::set<unsigned> wheels = WheelGroups(c);
    for (const Part* p : c.PartsOf(std::string(layout::Name(layout::Animation::gear)).c_str())) {
        if (p->mesh != layout::kExteriorMesh) continue;
        const bool leg = std::any_of(p->groups.begin(), p->groups.end(), [&](unsigned g) { return wheels.count(g); });
        (leg ? legs : doors).push_back(p);
    }
}

Vec3 Flat(Vec3 v) { return {v.x, 0, v.z}; }

void CheckCover(CheckContext& c, const host::mesh::Mesh& up, const std::vector<const Part*>& legs,
                const std::vector<const Part*>& doors, std::vector<Finding>& out) {
    std::vector<unsigned> cover_groups = c.StaticGroups(layout::kExteriorMesh);
    for (const Part* d : doors) cover_groups.insert(cover_groups.end(), d->groups.begin(), d->groups.end());
    const std::vector<Triangle> cover = TrianglesOf(up, cover_groups);
    std::vector<Box> boxes;
    for (const Triangle& t : cover) boxes.push_back(BoxOf(t));
    std::set<unsigned> done;
    for (const Part* leg : legs) {
        for (unsigned g : leg->groups) {
            if (g >= up.groups.size() || !done.insert(g).second) continue;
            double worst = -1;  // horizontal distance from the worst bare vertex to any cover
            for (const auto& v : up.groups[g].vertices) {
                const Vec3 p = v.pos_m;
                bool covered = false;
                for (std::size_t i = 0; i < cover.size() && !covered; ++i) {
                    if (p.x < boxes[i].lo.x || p.x > boxes[i].hi.x || p.z < boxes[i].lo.z || p.z > boxes[i].hi.z)
                        continue;
                    covered = RayHit(p, {0, -1, 0}, cover[i], kRayStart_m).has_value();
                }
                if (covered) continue;
                double nearest = std::numeric_limits<double>::infinity();
                for (const Triangle& t : cover)
                    nearest = std::min(nearest, PointTriangleDistance(Flat(p), {Flat(t.a), Flat(t.b), Flat(t.c)}));
                worst = std::max(worst, std::isinf(nearest) ? 1e9 : nearest);
            }
            if (worst >= 0)
                out.push_back({4, Where(g, *leg) + ": with the gear up it can be seen from below, " + Metres(worst) +
                                      " beside the nearest cover"});
        }
    }
}

// The outer skin for the door test: static vertices a ray along the normal
// leaves without meeting another static face. A wing root's vertices buried
// in a sponson are not skin, and their normals say nothing about where the
// skin runs.
class Skin {
public:
    Skin(const std::vector<host::mesh::Vertex>& vertices, std::vector<Triangle> faces)
        : vertices_(vertices), faces_(std::move(faces)), state_(vertices.size(), kUnknown) {}

    // The nearest outer-skin vertex to p, or null when there is none.
    const host::mesh::Vertex* Nearest(Vec3 p) {
        for (;;) {
            std::size_t best = vertices_.size();
            double best_m = std::numeric_limits<double>::infinity();
            for (std::size_t i = 0; i < vertices_.size(); ++i)
                if (state_[i] != kBuried)
                    if (const double d = Length(vertices_[i].pos_m - p); d < best_m) best_m = d, best = i;
            if (best == vertices_.size()) return nullptr;
            if (state_[best] == kUnknown) state_[best] = Escapes(vertices_[best]) ? kOuter : kBuried;
            if (state_[best] == kOuter) return &vertices_[best];
        }
    }

private:
    enum State : unsigned char { kUnknown, kOuter, kBuried };
    static constexpr double kOwnFaces_m = 0.002;  // hits this near the vertex are its own faces

    bool Escapes(const host::mesh::Vertex& v) const {
        const Vec3 dir = host::mesh::Normalised(v.normal);
        for (const Triangle& t : faces_)
            if (const auto hit = RayHit(v.pos_m, dir, t, 0.0); hit && *hit > kOwnFaces_m) return false;
        return true;
    }

    std::vector<host::mesh::Vertex> vertices_;
    std::vector<Triangle> faces_;
    std::vector<State> state_;
};

// A closed door's vertex outside the skin: beyond the nearest outer-skin
// vertex along that vertex's outward normal.
void CheckDoorsFlush(CheckContext& c, const host::mesh::Mesh& up, const std::vector<const Part*>& doors,
                     std::vector<Finding>& out) {
    const std::vector<unsigned> statics = c.StaticGroups(layout::kExteriorMesh);
    std::vector<host::mesh::Vertex> vertices;
    for (unsigned g : statics)
        for (const auto& v : up.groups[g].vertices)
            if (Length(v.normal) > 0) vertices.push_back(v);
    Skin skin(vertices, TrianglesOf(up, statics));
    for (const Part* d : doors)
        for (unsigned g : d->groups) {
            if (g >= up.groups.size()) continue;
            double worst = 0;
            for (const auto& v : up.groups[g].vertices)
                if (const host::mesh::Vertex* near = skin.Nearest(v.pos_m))
                    worst = std::max(worst, Dot(v.pos_m - near->pos_m, host::mesh::Normalised(near->normal)));
            if (worst > c.tol().skin_m)
                out.push_back({4, Where(g, *d) + ": with the gear up the door stands " + Metres(worst) +
                                      " out of the skin"});
        }
}

}  // namespace

std::vector<Finding> CheckTouchdown(CheckContext& c) {
    std::vector<Finding> out;
    const host::mesh::Mesh down = c.Posed(layout::kExteriorMesh, {{layout::Index(layout::Animation::gear), 0.0}});
    const auto& td = c.vessel().touchdown_m;
    for (const Part& p : c.parts()) {
        if (!c.IsWheel(p) || p.mesh != layout::kExteriorMesh) continue;
        for (unsigned g : p.groups) {
            const auto verts = VerticesOf(down, {g});
            if (verts.empty()) continue;
            const Vec3 low = *std::min_element(verts.begin(), verts.end(), [](Vec3 a, Vec3 b) { return a.y < b.y; });
            const VECTOR3* best = &td[0];
            for (const VECTOR3& t : td)
                if (Length(Flat(low - Vec3{t.x, t.y, t.z})) < Length(Flat(low - Vec3{best->x, best->y, best->z})))
                    best = &t;
            const Vec3 point{best->x, best->y, best->z};
            const double height = std::fabs(low.y - point.y), across = Length(Flat(low - point));
            if (height > c.tol().touchdown_height_m || across > c.tol().touchdown_across_m)
                out.push_back({3, Where(g, p) + ": with the gear down the lowest point misses its touchdown point by " +
                                      Metres(height) + " in height and " + Metres(across) + " across"});
        }
    }
    return out;
}

std::vector<Finding> CheckGearStowed(CheckContext& c) {
    std::vector<Finding> out;
    std::vector<const Part*> legs, doors;
    SplitGear(c, legs, doors);
    const host::mesh::Mesh up = c.Posed(layout::kExteriorMesh, {{layout::Index(layout::Animation::gear), 1.0}});
    CheckCover(c, up, legs, doors, out);
    CheckDoorsFlush(c, up, doors, out);
    return out;
}

}  // namespace vantorel_sim::check
