#include "replay/replay.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <optional>

#include "vantorel/vessel_layout.h"
#include "runtime/host_runtime.h"

#ifndef VANTOREL_REPLAY_LIB_DIR
#define VANTOREL_REPLAY_LIB_DIR "lib"
#endif

namespace vantorel_sim {

double FrameSimTime(std::int64_t frame) { return static_cast<double>(frame) * kStepLength; }

double FrameMjd(std::int64_t frame) { return kMjdAtZero + FrameSimTime(frame) / 86400.0; }

namespace {

bool SamePoint(const std::array<double, 3>& a, const double b[3]) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; }

bool SameSet(const vantorel::layout::TouchdownSet& set, const double points[3][3]) {
    return SamePoint(set[0], points[0]) && SamePoint(set[1], points[1]) && SamePoint(set[2], points[2]);
}

}  // namespace


const char* TouchdownSetName(TouchdownSet set) {
    switch (set) {
        case TouchdownSet::gear_down: return "gear-down";
        case TouchdownSet::gear_up: return "gear-up";
        case TouchdownSet::other: break;
    }
    return "other";
}

TouchdownSet ClassifyTouchdown(const double points[3][3]) {
    if (SameSet(vantorel::layout::kTouchdownGearDown, points)) return TouchdownSet::gear_down;
    if (SameSet(vantorel::layout::kTouchdownGearUp, points)) return TouchdownSet::gear_up;
    return TouchdownSet::other;
}

// ---------------------------------------------------------------------------
// ScriptPlayer
// ---------------------------------------------------------------------------

ScriptPlayer::ScriptPlayer(host::Runtime& rt, bool state_events) : rt_(rt), state_events_(state_events) {}

void ScriptPlayer::ApplyReadings(const ScriptFrame& f) {
    if (f.airspeed) rt_.set_airspeed_mps(*(airspeed_ = f.airspeed));
    if (f.altitude) rt_.set_altitude_m(*(altitude_ = f.altitude));
    if (f.aoa) rt_.set_aoa_rad(*(aoa_ = f.aoa));
    if (f.bank) rt_.set_bank_rad(*(bank_ = f.bank));
    if (f.ground) rt_.set_ground_contact(*(ground_ = f.ground));
    if (f.thrust) rt_.set_thruster_level(*(thrust_ = f.thrust));
    if (f.rudder) rt_.set_control_surface_level(AIRCTRL_RUDDER, *(rudder_ = f.rudder));
    if (f.fuel) rt_.set_fuel_mass_kg(*f.fuel);
    if (f.time_acc) rt_.set_time_acceleration(*f.time_acc);
    if (f.internal) rt_.set_camera_internal(*f.internal);
    if (f.heading) rt_.set_focus_heading_rad(*f.heading);
}

void ScriptPlayer::ApplyPersistentReadings(int index) {
    if (airspeed_) rt_.set_airspeed_mps(index, *airspeed_);
    if (altitude_) rt_.set_altitude_m(index, *altitude_);
    if (aoa_) rt_.set_aoa_rad(index, *aoa_);
    if (bank_) rt_.set_bank_rad(index, *bank_);
    if (ground_) rt_.set_ground_contact(index, *ground_);
    if (rudder_) rt_.set_control_surface_level(index, AIRCTRL_RUDDER, *rudder_);
    if (thrust_) {
        std::size_t n = rt_.vessel(index).thrusters.size();
        for (std::size_t t = 0; t < n; ++t) rt_.set_thruster_level(index, t, *thrust_);
    }
}

void ScriptPlayer::RunFrame(const ScriptFrame& f, bool first) {
    rt_.begin_frame();
    ++frames_;
    const std::int64_t frame = rt_.frame();
    if (first) {
        ApplyReadings(f);
        if (f.create) {
            for (int i = 0; i < *f.create; ++i) ApplyPersistentReadings(rt_.create_vessel());
        }
        if (f.destroy) rt_.destroy_vessel(*f.destroy);
        if (f.focus) rt_.set_focus(*f.focus);
        if (f.load_vc) rt_.load_vc(rt_.focus(), *f.load_vc);
        for (const KeyEvent& k : f.keys) rt_.queue_key(k.code, k.down);
    }
    rt_.step(FrameSimTime(frame), kStepLength, FrameMjd(frame));
    if (state_events_) {
        for (int i : rt_.living()) rt_.write_state_event(i);
    }
}

void ScriptPlayer::RunScript(const ReplayScript& script) {
    for (const ScriptFrame& f : script.frames) {
        for (std::int64_t r = 0; r < f.repeat; ++r) {
            RunFrame(f, r == 0);
            if (on_progress_ && (frames_ & 4095) == 0) on_progress_(frames_);
        }
    }
}

// ---------------------------------------------------------------------------
// Summary
// ---------------------------------------------------------------------------

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

// ---------------------------------------------------------------------------
// The whole replay
// ---------------------------------------------------------------------------

ReplaySummary RunReplay(const ReplayScript& script, const ReplayOptions& options) {
    CheckScript(script, options.vessels);

    host::Runtime rt;
    rt.set_flight_model(options.flight_model);
    if (!options.mesh_dir.empty()) rt.set_mesh_dir(options.mesh_dir);
    // Recording stops when the replay ends, also on a throw.
    std::optional<host::trace::Recording> recording;
    if (options.trace) recording.emplace(options.trace);

    if (options.sound) {
        try {
            rt.load_sound_library(options.sound_path.empty() ? DefaultSoundLibraryPath() : options.sound_path);
        } catch (const host::HostError& e) {
            throw LoadError(std::string(e.what()) + " (--no-sound runs without it)");
        }
    }
    try {
        rt.load_module(options.module_path.empty() ? DefaultModulePath() : options.module_path);
    } catch (const host::HostError& e) {
        throw LoadError(e.what());
    }

    std::string module_file = std::filesystem::path(options.module_path.empty() ? DefaultModulePath()
                                                                                : options.module_path)
                                  .filename()
                                  .string();
    for (int i = 0; i < options.vessels; ++i) rt.create_vessel();

    ScriptPlayer player(rt, options.trace != nullptr);
    player.set_progress(options.on_progress);
    player.RunScript(script);

    ReplaySummary summary = CaptureSummary(rt, script.source, player.frames_run());
    summary.module_file = module_file;

    rt.set_frame(player.frames_run() + 1);
    rt.destroy_all_vessels();
    rt.unload_module();
    return summary;
}

}  // namespace vantorel_sim
