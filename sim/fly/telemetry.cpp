#include "fly/telemetry.h"

#include <tuple>
#include <utility>

#include "vantorel/vessel_layout.h"
#include "flightmodel/units.h"
#include "fly/vessel_readings.h"

namespace vantorel_sim::fly {

namespace {
using host::flight::kDegPerRad;
using vantorel::layout::Animation;
static_assert(std::tuple_size_v<decltype(Sample::exterior_states)> == kExteriorAnimations.size());
}  // namespace

EngineSoundWatch::EngineSoundWatch(bool watch) : on_(watch) {
    if (on_) host::set_sound_observer([this](const host::SoundRequest& r) { Take(r); });
}

EngineSoundWatch::~EngineSoundWatch() {
    if (on_) host::set_sound_observer({});
}

void EngineSoundWatch::Take(const host::SoundRequest& r) {
    if (r.slot != vantorel::layout::kSoundEngine) return;
    if (r.kind == host::SoundRequest::Kind::play) {
        volume_ = r.volume;
        frequency_hz_ = static_cast<double>(r.frequency_hz);
    } else if (r.kind == host::SoundRequest::Kind::stop) {
        volume_ = 0;
        frequency_hz_ = 0;
    }
}

Sample TakeSample(const host::flight::FlightModel& m, const host::Runtime& rt, const EngineSoundWatch& sound) {
    const host::VesselState& v = m.vessel();
    Sample s;
    s.time_s = m.sim_time_s();
    s.frame = m.frames();
    s.east_m = m.state().position_m.x;
    s.north_m = m.state().position_m.z;
    s.altitude_m = m.altitude_m();
    s.airspeed_mps = m.airspeed_mps();
    s.vertical_speed_mps = m.vertical_speed_mps();
    s.mach = m.forces().mach;
    s.aoa_deg = m.aoa_rad() * kDegPerRad;
    s.pitch_deg = m.pitch_rad() * kDegPerRad;
    s.bank_deg = m.bank_rad() * kDegPerRad;
    s.heading_deg = m.heading_rad() * kDegPerRad;
    s.throttle = m.controls().main_throttle;
    s.thrust_level = v.thrusters.empty() ? 0.0 : v.thrusters[0].level;
    s.thrust_n = m.forces().thrust_n;
    s.max_thrust_n = v.thrusters.empty() ? 0.0 : v.thrusters[0].max_thrust0_n;
    s.fuel_kg = m.fuel_kg();
    s.mass_kg = m.mass_kg();
    s.gear = AnimationState(v, Animation::gear);
    s.flaps = v.ctrl_level[AIRCTRL_FLAP];
    s.canopy = AnimationState(v, Animation::canopy);
    s.throttle_lever = AnimationState(v, Animation::throttle);
    s.elevator = v.ctrl_level[AIRCTRL_ELEVATOR];
    s.aileron = v.ctrl_level[AIRCTRL_AILERON];
    s.rudder = v.ctrl_level[AIRCTRL_RUDDER];
    s.brakes = m.controls().brakes;
    s.ground_contact = m.ground_contact();
    s.inside_envelope = DragSaysInside(v);
    s.lights = LightsOn(v);
    s.time_acceleration = rt.time_acceleration();
    s.engine_sound_hz = sound.frequency_hz();
    s.engine_sound_volume = sound.volume();
    for (std::size_t i = 0; i < kExteriorAnimations.size(); ++i)
        s.exterior_states[i] = AnimationState(v, kExteriorAnimations[i]);
    return s;
}

Telemetry::Telemetry(const host::flight::FlightModel& model, const host::Runtime& rt, const EngineSoundWatch& sound,
                     double rate_hz, std::vector<Sample>* out, std::function<void(const Sample&)> on_sample)
    : model_(model), rt_(rt), sound_(sound), rate_hz_(rate_hz), out_(out), on_sample_(std::move(on_sample)),
      next_s_(rate_hz > 0 ? 1.0 / rate_hz : 1e300) {
    Take();
}

void Telemetry::Take() {
    const Sample s = TakeSample(model_, rt_, sound_);
    last_frame_ = s.frame;
    if (on_sample_) on_sample_(s);
    if (out_ != nullptr) out_->push_back(s);
}

void Telemetry::AfterFrame() {
    const double t = model_.sim_time_s();
    if (!(rate_hz_ > 0) || !(t + 1e-9 >= next_s_)) return;
    Take();
    next_s_ += 1.0 / rate_hz_;
    if (next_s_ <= t) next_s_ = t + 1.0 / rate_hz_;
}

void Telemetry::Finish() {
    if (last_frame_ != model_.frames()) Take();
}

void CloseSummary(FlightSummary& s, const host::flight::FlightModel& model, const std::string& end_reason) {
    s.flight_time_s = model.sim_time_s();
    s.frames = model.frames();
    s.end_reason = end_reason;
    s.fuel_end_kg = model.fuel_kg();
    s.fuel_used_kg = s.fuel_start_kg + s.fuel_refilled_kg - s.fuel_end_kg;
}

}  // namespace vantorel_sim::fly
