// Plays a replay script's frames on a runtime: readings, vessels, keys and
// the step, on the replay's fixed frame clock.
#include "replay/replay.h"
#include "runtime/host_runtime.h"

namespace vantorel_sim::replay {

double FrameSimTime(std::int64_t frame) { return static_cast<double>(frame) * kStepLength; }

double FrameMjd(std::int64_t frame) { return kMjdAtZero + FrameSimTime(frame) / 86400.0; }

ReplayScriptPlayer::ReplayScriptPlayer(host::Runtime& rt, bool state_events) : rt_(rt), state_events_(state_events) {}

void ReplayScriptPlayer::ApplyReadings(const ScriptFrame& f) {
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

void ReplayScriptPlayer::ApplyPersistentReadings(int index) {
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

void ReplayScriptPlayer::RunFrame(const ScriptFrame& f, bool first) {
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

void ReplayScriptPlayer::RunScript(const ReplayScript& script) {
    for (const ScriptFrame& f : script.frames) {
        for (std::int64_t r = 0; r < f.repeat; ++r) {
            RunFrame(f, r == 0);
            if (on_progress_ && (frames_ & 4095) == 0) on_progress_(frames_);
        }
    }
}

}  // namespace vantorel_sim::replay
