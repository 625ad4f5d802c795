// Rule 6: at state d x 0.1 each altimeter drum turns the face of digit d
// (the d-th group of its component) to the eye, and every needle, hand and
// card turns about a pivot on its dial (a static face of the panel).
#include <cmath>
#include <limits>
#include <string_view>

#include "check/asset_check.h"
#include "check/geometry.h"
#include "vantorel/vessel_layout.h"

namespace vantorel_sim::check {

namespace layout = vantorel::layout;
using host::mesh::Dot;
using host::mesh::Normalised;

namespace {

constexpr int kDigits = 10;

bool IsDrum(const Part& p) { return p.anim_name.find("_drum") != std::string::npos; }

bool IsDialPointer(const Part& p) {
    const std::string_view n = p.anim_name;
    return (n.size() > 7 && n.substr(n.size() - 7) == "_needle") || n.substr(0, 6) == "clock_" || n == "heading_card";
}

// Cosine between a face's normal and the direction from its centre to the eye.
double Facing(const std::vector<Triangle>& tris, Vec3 eye) {
    if (tris.empty()) return -2;
    return Dot(Normalised(AreaNormal(tris)), Normalised(eye - AreaCentroid(tris)));
}

void CheckDrum(CheckContext& c, const Part& p, Vec3 eye, std::vector<Finding>& out) {
    if (p.groups.size() != kDigits) {
        out.push_back({6, "component " + std::to_string(p.index + 1) + " (" + p.anim_name + "): a drum needs " +
                              std::to_string(kDigits) + " digit faces, it has " + std::to_string(p.groups.size())});
        return;
    }
    for (int d = 0; d < kDigits; ++d) {
        std::vector<double> facing;
        for (unsigned g : p.groups) facing.push_back(Facing(c.PosedTriangles(p.mesh, {{p.anim, d * 0.1}}, {g}), eye));
        int shown = -1;
        double best = -3;
        for (int k = 0; k < kDigits; ++k)
            if (const double f = facing[static_cast<std::size_t>(k)]; f > best) best = f, shown = k;
        if (shown == d) continue;
        const double off_deg = std::acos(std::clamp(facing[static_cast<std::size_t>(d)], -1.0, 1.0)) * 180 / M_PI;
        char buf[160];
        std::snprintf(buf, sizeof buf, ": at state %.1f the eye sees digit %d; digit %d's face is turned %.1f deg away",
                      d * 0.1, shown, d, off_deg);
        out.push_back({6, Where(p.groups[static_cast<std::size_t>(d)], p) + buf});
    }
}

void CheckPivotOnDial(CheckContext& c, const Part& p, std::vector<Finding>& out) {
    const StaticFaces& dials = c.Statics(p.mesh);
    const auto near = dials.faces.Closest(p.ref);
    const double best = near ? near->measure : std::numeric_limits<double>::infinity();
    if (best > c.tol().dial_m)
        out.push_back({6, Where(p.groups.empty() ? 0 : p.groups.front(), p) + ": the pivot lies " + Metres(best) +
                              " off the nearest dial (static group " + std::to_string(near ? dials.group[near->id] : 0) +
                              ")"});
}

}  // namespace

std::vector<Finding> CheckInstruments(CheckContext& c) {
    std::vector<Finding> out;
    const auto& e = layout::kEyePoint_m;
    const Vec3 eye = Vec3{e[0], e[1], e[2]} - c.scene().MeshOffset(layout::kCockpitMesh);
    for (const Part& p : c.parts()) {
        if (p.mesh != layout::kCockpitMesh || !p.rotation) continue;
        if (IsDrum(p)) CheckDrum(c, p, eye, out);
        else if (IsDialPointer(p)) CheckPivotOnDial(c, p, out);
    }
    return out;
}

}  // namespace vantorel_sim::check
