// What the host holds at the end of a replay, read back into a summary.
#include <cstring>

#include "replay/replay.h"
#include "runtime/host_runtime.h"

namespace vantorel_sim::replay {

ReplaySummary CaptureSummary(const host::Runtime& rt, const std::string& source, std::int64_t frames) {
    ReplaySummary s;
    s.source = source;
    s.frames = frames;
    s.module_version = rt.module_version();
    s.sound = rt.sound_library_loaded();
    s.vessels_created = rt.vessels_created();
    s.time_acc = rt.next_time_acceleration();
    for (int i = 0; i < s.vessels_created; ++i) {
        const host::VesselState& v = rt.vessel(i);
        if (!v.alive) {
            s.destroyed.push_back(i);
            continue;
        }
        VesselSummary vs;
        vs.index = i;
        for (const auto& a : v.animations) vs.anim.push_back(a.state);
        for (int p = 0; p < 3; ++p) {
            vs.touchdown[p][0] = v.touchdown_m[p].x;
            vs.touchdown[p][1] = v.touchdown_m[p].y;
            vs.touchdown[p][2] = v.touchdown_m[p].z;
        }
        vs.touchdown_set = ClassifyTouchdown(vs.touchdown);
        for (const BEACONLIGHTSPEC* b : v.beacons) vs.beacons.push_back(b != nullptr && b->active);
        if (!v.propellants.empty()) vs.fuel_kg = v.propellants[0].mass_kg;
        std::memcpy(vs.cw, v.cw, sizeof vs.cw);
        for (const auto& t : v.thrusters) vs.thrust_max.push_back(t.max_thrust0_n);
        for (const auto& m : v.meshes) {
            std::string name = rt.mesh_name(m.mesh);
            vs.meshes.push_back((name.empty() ? std::string("null") : name) + " (mode " +
                                std::to_string(m.visibility) + ")");
        }
        s.vessels.push_back(std::move(vs));
    }
    return s;
}

}  // namespace vantorel_sim::replay
