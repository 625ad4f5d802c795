// Rules 3 and 4: with the gear down each wheel stands on its touchdown point;
// with the gear up nothing of a leg or wheel shows from below, and no closed
// door stands out of the skin.
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "check/asset_check.h"
#include "check/exposure.h"
#include "check/geometry.h"
#include "check/triangle_index.h"
#include "vantorel/vessel_layout.h"

namespace vantorel_sim::check {

namespace layout = vantorel::layout;
using host::mesh::Dot;
using host::mesh::Length;

namespace {

constexpr double kRayStart_m = 0.001;     // a point lying on its cover counts as covered
constexpr double kContactBand_m = 0.001;  // a wheel touches flat ground this far above its lowest point

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

std::pair<unsigned, double> GearAt(double state) { return {layout::Index(layout::Animation::gear), state}; }

// The static structure and the closed doors, gear up.
struct Stowed {
    const StaticFaces& statics;
    TriangleIndex doors;
    Obstacles all() const { return {statics.faces, doors}; }
};

// How far p lies beside all the obstacles, seen from below.
double BesideCover(const Obstacles& cover, std::size_t count, Vec3 p, std::optional<TriangleIndex>& flat) {
    if (!flat) {  // only once something shows
        std::vector<Triangle> tris;
        for (std::size_t i = 0; i < count; ++i) {
            const Triangle& t = cover.triangle(i);
            tris.push_back({Flat(t.a), Flat(t.b), Flat(t.c)});
        }
        flat.emplace(std::move(tris));
    }
    const auto near = flat->Closest(Flat(p));
    return near ? near->measure : std::numeric_limits<double>::infinity();
}

// Each sampled point of a leg or wheel from which a ray straight down meets
// no cover is bare; the rule reports how far the farthest bare point lies
// beside the cover, seen from below.
void CheckCover(CheckContext& c, const Stowed& stowed, const std::vector<const Part*>& legs, std::vector<Finding>& out) {
    const Obstacles cover = stowed.all();
    const std::size_t count = stowed.statics.faces.size() + stowed.doors.size();
    std::optional<TriangleIndex> flat;
    std::set<unsigned> done;
    for (std::size_t i = 0; i < legs.size(); ++i) {
        const Part* leg = legs[i];
        c.Advance(0.5 * static_cast<double>(i) / static_cast<double>(legs.size()));  // the first half of the rule
        for (unsigned g : leg->groups) {
            if (!done.insert(g).second) continue;
            double worst = -1;  // horizontal distance from the worst bare point to any cover
            PointSet seen;
            for (const Triangle& t : c.PosedTriangles(layout::kExteriorMesh, {GearAt(1.0)}, {g}))
                ForEachExposed(cover, t, {0, -1, 0}, -kRayStart_m, c.tol().cover_m, seen, [&](Vec3 p) {
                    worst = std::max(worst, BesideCover(cover, count, p, flat));
                });
            if (worst > c.tol().cover_m)
                out.push_back({4, Where(g, *leg) + ": with the gear up it can be seen from below, " +
                                      Metres(std::min(worst, 1e9)) + " beside the nearest cover"});
        }
    }
}

// Doors and skin as the door test sees them, gear up. Outer surface is what
// a ray along the surface's outward normal leaves without meeting the static
// structure or a door: a wing root buried in a sponson, a well's walls and
// ceiling behind its closed doors, a door's inner face and its edges in the
// well are not. Both are judged at the points of a lattice `spacing_m` apart.
class StowedSurface {
public:
    StowedSurface(const Stowed& stowed, std::vector<Vec3> skin_normals, double spacing_m)
        : spacing_m_(spacing_m),
          skin_(stowed.statics.faces),
          blocking_(stowed.all()),
          skin_normals_(std::move(skin_normals)),
          hidden_(skin_.size(), kUnknown) {}

    // f(p) at the points of door face t's lattice that are outer surface
    // and not in `seen`.
    template <class F>
    void ForEachOuter(const Triangle& t, Vec3 outward, PointSet& seen, F&& f) const {
        if (Length(outward) > 0) ForEachExposed(blocking_, t, outward, kOwnFaces_m, spacing_m_, seen, f);
    }

    // How far p, on a door face turned to `outward`, stands out of the
    // nearest skin point q: along the skin's normal when p lies over the skin
    // (q is p's foot, with skin all round it); when p lies beside it, the
    // lesser of that and the distance along the door's own normal. A flush
    // door continues the skin: behind a step it lies beyond the step's face
    // but level along the door, and on a curved skin the rim falls away
    // behind the door's plane but not behind the skin's. nullopt: no skin.
    std::optional<double> Outside(Vec3 p, Vec3 outward) const {
        const auto near = Nearest(p, kFar);
        if (!near) return std::nullopt;
        const Vec3 n = skin_normals_[near->id];
        const Vec3 q = ClosestPoint(p, skin_.triangle(near->id));
        const double along_skin = Dot(p - q, n), along_door = Dot(p - q, outward);
        if (along_door >= along_skin || !Over(p - q, q, n)) return std::min(along_skin, along_door);
        return along_skin;
    }

private:
    static constexpr double kFar = std::numeric_limits<double>::infinity();
    static constexpr double kOwnFaces_m = 0.002;  // hits this near the point are its own faces
    static constexpr double kAround_m = 0.001;    // "skin all round": this far each way
    static constexpr double kOnSkin_m = 1e-6;
    static constexpr int kLookupDepth = 24;
    enum : unsigned char { kUnknown, kHidden, kOpen };
    struct LatticePoint {
        std::size_t id;
        long i, j;
        bool operator==(const LatticePoint&) const = default;
        struct Hash {
            std::size_t operator()(const LatticePoint& p) const {
                return std::hash<std::size_t>()(p.id) ^ (std::hash<long>()(p.i) * 31) ^ (std::hash<long>()(p.j) * 1031);
            }
        };
    };

    // The nearest skin point to p, under max_m.
    std::optional<TriangleIndex::Nearest> Nearest(Vec3 p, double max_m) const {
        return skin_.Closest(
            p,
            [&](std::size_t id, double best_m) {
                if (HiddenWhole(id)) return kFar;
                const Vec3 q = ClosestPoint(p, skin_.triangle(id));
                const double d = Length(p - q);
                return d > best_m || SkinAt(id, q) ? d : kFar;
            },
            max_m);
    }

    // Whether p (= q + off) lies over the skin at q: q its foot, and skin on
    // every side of q, whichever faces carry it.
    bool Over(Vec3 off, Vec3 q, Vec3 n) const {
        if (Length(off - n * Dot(off, n)) > kOnSkin_m) return false;
        const Vec3 t1 = host::mesh::Normalised(host::mesh::Cross(n, std::fabs(n.x) < 0.9 ? Vec3{1, 0, 0} : Vec3{0, 1, 0}));
        const Vec3 t2 = host::mesh::Cross(n, t1);
        for (Vec3 step : {t1, t1 * -1.0, t2, t2 * -1.0})
            if (!Nearest(q + step * kAround_m, kOnSkin_m)) return false;
        return true;
    }

    // Whether static face `id` is outer at q: judged at the face's lattice
    // point nearest q, learnt when first asked. The lattice is never walked,
    // so no face is too big for the spacing.
    bool SkinAt(std::size_t id, Vec3 q) const {
        const Triangle& t = skin_.triangle(id);
        const long n = LatticeDivisions(t, spacing_m_, kLookupDepth);
        const auto [u, v] = Barycentric(q, t);
        const long i = std::clamp(std::lround(u * static_cast<double>(n)), 0L, n);
        const long j = std::clamp(std::lround(v * static_cast<double>(n)), 0L, n - i);
        const LatticePoint key{id, i, j};
        if (const auto it = exposed_.find(key); it != exposed_.end()) return it->second;
        const double step = 1.0 / static_cast<double>(n);
        const Vec3 at = t.a + (t.b - t.a) * (static_cast<double>(i) * step) + (t.c - t.a) * (static_cast<double>(j) * step);
        const bool open = !blocking_.AnyHit(at, skin_normals_[id], kOwnFaces_m, kFar);
        exposed_.emplace(key, open);
        return open;
    }

    // Whether a static face is buried whole, learnt when first met.
    bool HiddenWhole(std::size_t id) const {
        if (hidden_[id] == kUnknown)
            hidden_[id] = check::HiddenWhole(blocking_, skin_.triangle(id), skin_normals_[id], kOwnFaces_m) ? kHidden
                                                                                                         : kOpen;
        return hidden_[id] == kHidden;
    }

    double spacing_m_;
    const TriangleIndex& skin_;
    Obstacles blocking_;
    std::vector<Vec3> skin_normals_;
    mutable std::vector<unsigned char> hidden_;
    mutable std::unordered_map<LatticePoint, bool, LatticePoint::Hash> exposed_;
};

// How far door group g's outer surface stands out of the skin at worst.
double DoorOutside(CheckContext& c, const StowedSurface& surface, unsigned g) {
    const std::vector<Vec3> said = OutwardNormals(*c.exterior(), {g});
    const std::vector<Triangle> stored = TrianglesOf(*c.exterior(), {g});
    const std::vector<Triangle> posed = c.PosedTriangles(layout::kExteriorMesh, {GearAt(1.0)}, {g});
    double worst = 0;
    PointSet seen;  // a point on an edge is judged with the first face that has it
    for (std::size_t i = 0; i < posed.size(); ++i) {
        // Turning keeps the winding, so the posed face turns out on the same side.
        const Vec3 outward = UnitNormal(posed[i]) * (Dot(UnitNormal(stored[i]), said[i]) < 0 ? -1.0 : 1.0);
        surface.ForEachOuter(posed[i], outward, seen, [&](Vec3 p) {
            if (const auto outside = surface.Outside(p, outward)) worst = std::max(worst, *outside);
        });
    }
    return worst;
}

// A closed door's outer surface outside the skin.
void CheckDoorsFlush(CheckContext& c, const Stowed& stowed, const std::vector<const Part*>& doors,
                     std::vector<Finding>& out) {
    const StowedSurface surface(stowed, OutwardNormals(*c.exterior(), c.StaticGroups(layout::kExteriorMesh)),
                                c.tol().skin_m);
    for (std::size_t i = 0; i < doors.size(); ++i) {
        c.Advance(0.5 + 0.5 * static_cast<double>(i) / static_cast<double>(doors.size()));  // the second half
        for (unsigned g : doors[i]->groups)
            if (const double worst = DoorOutside(c, surface, g); worst > c.tol().skin_m)
                out.push_back({4, Where(g, *doors[i]) + ": with the gear up the door stands " + Metres(worst) +
                                      " out of the skin"});
    }
}

}  // namespace

std::vector<Finding> CheckTouchdown(CheckContext& c) {
    std::vector<Finding> out;
    const auto down = GearAt(0.0);
    const auto& td = c.vessel().touchdown_m;
    for (const Part& p : c.parts()) {
        if (!c.IsWheel(p) || p.mesh != layout::kExteriorMesh) continue;
        for (unsigned g : p.groups) {
            const auto tris = c.PosedTriangles(layout::kExteriorMesh, {down}, {g});
            if (tris.empty()) continue;
            // The wheel's lowest point, in the middle of where it would touch a flat ground.
            double low_y = tris.front().a.y;
            for (const Triangle& t : tris) low_y = std::min({low_y, t.a.y, t.b.y, t.c.y});
            const Vec3 mid = BoxBelow(tris, low_y + kContactBand_m).Centre();
            const Vec3 low{mid.x, low_y, mid.z};
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
    std::vector<unsigned> door_groups;
    for (const Part* d : doors) door_groups.insert(door_groups.end(), d->groups.begin(), d->groups.end());
    const Stowed stowed{c.Statics(layout::kExteriorMesh),
                        TriangleIndex(c.PosedTriangles(layout::kExteriorMesh, {GearAt(1.0)}, door_groups))};
    CheckCover(c, stowed, legs, out);
    CheckDoorsFlush(c, stowed, doors, out);
    return out;
}

}  // namespace vantorel_sim::check
