// The human summary printed when no trace is asked for.
#include <cstdio>
#include <string>
#include <string_view>

#include "vantorel/vessel_layout.h"
#include "replay/replay.h"

namespace vantorel_sim::replay {

namespace {

namespace layout = vantorel::layout;

// Animations are shown by their layout names when a vessel has exactly the
// layout's count, otherwise by their indices only. A name longer than the
// column pushes the rest of its row to the right.
constexpr int kNameColumn = 16;

std::string Num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

std::string Vec(const double v[3]) { return "(" + Num(v[0]) + ", " + Num(v[1]) + ", " + Num(v[2]) + ")"; }

void Line(std::string& out, const char* label, const std::string& value) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "  %-12s", (std::string(label) + ":").c_str());
    std::string line = buf + value;
    // A value that starts on a line of its own leaves no padding behind.
    if (!value.empty() && value[0] == '\n') line = "  " + std::string(label) + ":" + value;
    out += line + '\n';
}

std::string Animations(const std::vector<double>& anim) {
    std::string out;
    std::string row;
    const bool named = anim.size() == layout::kAnimationNames.size();
    auto end_row = [&] {
        while (!row.empty() && row.back() == ' ') row.pop_back();
        out += "\n    " + row;
        row.clear();
    };
    for (std::size_t i = 0; i < anim.size(); ++i) {
        char cell[64];
        if (named) {
            const std::string_view name = layout::kAnimationNames[i];
            std::snprintf(cell, sizeof cell, "%-*.*s %-9s", kNameColumn, static_cast<int>(name.size()), name.data(),
                          Num(anim[i]).c_str());
        } else {
            std::snprintf(cell, sizeof cell, "[%2zu] %-9s", i, Num(anim[i]).c_str());
        }
        row += cell;
        if (i % 3 == 2) end_row();
    }
    if (!row.empty()) end_row();
    return out;
}

std::string Gear(const VesselSummary& v) {
    if (v.touchdown_set != TouchdownSet::other) return TouchdownSetName(v.touchdown_set);
    return "other: " + Vec(v.touchdown[0]) + " " + Vec(v.touchdown[1]) + " " + Vec(v.touchdown[2]);
}

}  // namespace

std::string FormatSummary(const ReplaySummary& s) {
    std::string out;
    out += "replayed " + s.source + ": " + std::to_string(s.frames) + (s.frames == 1 ? " frame" : " frames") +
           " (" + Num(FrameSimTime(s.frames)) + " s simulated)\n";
    out += "module " + s.module_file + " (version " + std::to_string(s.module_version) + "), sound library " +
           (s.sound ? "loaded" : "not loaded") + "\n";
    out += "vessels: " + std::to_string(s.vessels_created) + " created, " + std::to_string(s.vessels.size()) +
           " living at the end";
    if (!s.destroyed.empty()) {
        out += " (destroyed:";
        for (int i : s.destroyed) out += " " + std::to_string(i);
        out += ")";
    }
    out += "\ntime acceleration for the next frame: " + Num(s.time_acc) + "\n";

    for (const VesselSummary& v : s.vessels) {
        out += "\nvessel " + std::to_string(v.index) + "\n";
        Line(out, "touchdown", Gear(v));
        std::string beacons;
        for (std::size_t i = 0; i < v.beacons.size(); ++i) beacons += (i ? ", " : "") + std::string(v.beacons[i] ? "on" : "off");
        Line(out, "beacons", beacons.empty() ? "none" : beacons);
        Line(out, "fuel", v.fuel_kg ? Num(*v.fuel_kg) + " kg" : "no tank");
        Line(out, "drag (cw)", Num(v.cw[0]) + " " + Num(v.cw[1]) + " " + Num(v.cw[2]) + " " + Num(v.cw[3]));
        std::string thrust;
        for (std::size_t i = 0; i < v.thrust_max.size(); ++i) thrust += (i ? ", " : "") + Num(v.thrust_max[i]) + " N";
        Line(out, "thrust max", thrust.empty() ? "no thrusters" : thrust);
        std::string meshes;
        for (std::size_t i = 0; i < v.meshes.size(); ++i) meshes += (i ? ", " : "") + std::to_string(i) + ": " + v.meshes[i];
        Line(out, "meshes", meshes.empty() ? "none" : meshes);
        Line(out, "animations", v.anim.empty() ? "none" : Animations(v.anim));
    }
    return out;
}

}  // namespace vantorel_sim::replay
