#include "flightmodel/flight_model.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

#include "flightmodel/units.h"

namespace host::flight {

namespace {

bool Finite(Vec3 v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Attitude from heading (from north toward east), pitch (nose up) and bank
// (right wing down).
Quat AttitudeFrom(double heading_rad, double pitch_rad, double bank_rad) {
    const Vec3 fwd0{std::sin(heading_rad), 0, std::cos(heading_rad)};
    const Vec3 right0{std::cos(heading_rad), 0, -std::sin(heading_rad)};
    const Vec3 up0{0, 1, 0};
    const Vec3 fwd = fwd0 * std::cos(pitch_rad) + up0 * std::sin(pitch_rad);
    const Vec3 up1 = up0 * std::cos(pitch_rad) - fwd0 * std::sin(pitch_rad);
    const Vec3 right = right0 * std::cos(bank_rad) - up1 * std::sin(bank_rad);
    const Vec3 up = right0 * std::sin(bank_rad) + up1 * std::cos(bank_rad);
    return Quat::FromMatrix(Mat3{right, up, fwd});
}

}  // namespace

FlightModel::FlightModel(host::Runtime& rt, int vessel, FlightModelOptions options)
    : rt_(rt), index_(vessel), vessel_(&rt.vessel(vessel)), options_(options) {
    const host::VesselState& v = *vessel_;
    if (!v.alive) throw host::HostError("FlightModel: vessel " + std::to_string(vessel) + " is not alive");
    if (v.propellants.size() > kMaxPropellants) {
        throw host::HostError("FlightModel: more than " + std::to_string(kMaxPropellants) + " propellant resources");
    }
    for (const auto& g : v.thruster_groups) {
        if (g.type != THGROUP_MAIN) continue;
        for (THRUSTER_HANDLE th : g.members) {
            int i = rt_.thruster_index(th);
            if (i >= 0 && static_cast<std::size_t>(i) < v.thrusters.size()) main_thrusters_.push_back(static_cast<std::size_t>(i));
        }
    }
    for (const auto& t : v.thrusters) {
        int p = rt_.propellant_index(t.propellant);
        thruster_propellant_.push_back(p >= 0 && static_cast<std::size_t>(p) < v.propellants.size() ? p : -1);
    }
    added_forces_.reserve(16);
    report_.mass_kg = mass_kg();
}

double FlightModel::fuel_kg() const {
    const host::VesselState& v = *vessel_;
    double total_kg = 0;
    for (const auto& p : v.propellants) total_kg += std::max(p.mass_kg, 0.0);
    return total_kg;
}

double FlightModel::mass_kg() const { return vessel_->empty_mass_kg + fuel_kg(); }

double FlightModel::main_engine_level() const {
    const host::VesselState& v = *vessel_;
    for (std::size_t i : main_thrusters_) {
        int p = thruster_propellant_[i];
        if (p >= 0 && v.propellants[static_cast<std::size_t>(p)].mass_kg > 0) return std::clamp(controls_.main_throttle, 0.0, 1.0);
    }
    return 0.0;
}

double FlightModel::airspeed_mps() const { return Length(body_.velocity_mps); }

// Each reading is worked out once per state: the autopilot, the force terms,
// the readings fed to the module and the milestones all ask for them.
const Mat3& FlightModel::to_world() const {
    if (!(known_ & kMatrix)) {
        to_world_ = body_.attitude.Matrix();
        known_ |= kMatrix;
    }
    return to_world_;
}

const Vec3& FlightModel::velocity_body_mps() const {
    if (!(known_ & kVelocityBody)) {
        velocity_body_mps_ = to_world().TransposeTimes(body_.velocity_mps);
        known_ |= kVelocityBody;
    }
    return velocity_body_mps_;
}

double FlightModel::flow_aoa() const {
    if (!(known_ & kFlowAoa)) {
        const Vec3& vb = velocity_body_mps();
        flow_aoa_rad_ = std::atan2(-vb.y, vb.z);
        known_ |= kFlowAoa;
    }
    return flow_aoa_rad_;
}

double FlightModel::flow_sideslip() const {
    if (!(known_ & kFlowSideslip)) {
        const Vec3& vb = velocity_body_mps();
        flow_sideslip_rad_ = std::atan2(-vb.x, vb.z);
        known_ |= kFlowSideslip;
    }
    return flow_sideslip_rad_;
}

double FlightModel::aoa_rad() const {
    const Vec3& vb = velocity_body_mps();
    return (vb.y == 0 && vb.z == 0) ? 0.0 : flow_aoa();
}

double FlightModel::sideslip_rad() const {
    const Vec3& vb = velocity_body_mps();
    return (vb.x == 0 && vb.z == 0) ? 0.0 : flow_sideslip();
}

double FlightModel::pitch_rad() const {
    if (!(known_ & kPitch)) {
        pitch_rad_ = std::asin(std::clamp(to_world().c2.y, -1.0, 1.0));
        known_ |= kPitch;
    }
    return pitch_rad_;
}

double FlightModel::bank_rad() const {
    if (!(known_ & kBank)) {
        const Mat3& r = to_world();
        bank_rad_ = std::atan2(-r.c0.y, r.c1.y);
        known_ |= kBank;
    }
    return bank_rad_;
}

double FlightModel::heading_rad() const {
    if (!(known_ & kHeading)) {
        const Vec3& f = to_world().c2;
        double h = std::atan2(f.x, f.z);
        if (h < 0) h += kTwoPi;
        heading_rad_ = h >= kTwoPi ? 0.0 : h;
        known_ |= kHeading;
    }
    return heading_rad_;
}

bool FlightModel::FarAboveGround() const {
    // A rotation keeps lengths, so no point is lower than the body by more than its distance.
    const VECTOR3* p = vessel_->touchdown_m;
    double reach2 = 0;
    for (int i = 0; i < kTouchdownPoints; ++i) reach2 = std::max(reach2, p[i].x * p[i].x + p[i].y * p[i].y + p[i].z * p[i].z);
    const double clear_m = body_.position_m.y - 1.0;
    return clear_m > 0 && clear_m * clear_m > reach2;
}

bool FlightModel::ground_contact() const {
    if (FarAboveGround()) return false;
    for (int i = 0; i < kTouchdownPoints; ++i) {
        if (touchdown_position_m(i).y < 0) return true;
    }
    return false;
}

Vec3 FlightModel::touchdown_position_m(int i) const {
    const VECTOR3& p = vessel_->touchdown_m[i];
    return body_.position_m + to_world() * Vec3{p.x, p.y, p.z};
}

void FlightModel::SetState(const BodyState& s) {
    body_ = s;
    body_.attitude = s.attitude.Normalized();
    Moved();
    parked_ = false;
    still_s_ = 0;
}

void FlightModel::PlaceOnGround(double heading_rad, double east_m, double north_m) {
    BodyState s;
    s.attitude = AttitudeFrom(heading_rad, 0, 0);
    const host::VesselState& v = *vessel_;
    double lowest_m = 0;
    for (const auto& p : v.touchdown_m) lowest_m = std::min(lowest_m, p.y);
    const double sag_m = kGravityMps2 / (options_.gear_frequency_radps * options_.gear_frequency_radps);
    s.position_m = {east_m, -lowest_m - sag_m, north_m};
    SetState(s);
    Settle();
    FeedReadings();
}

void FlightModel::PlaceInFlight(double altitude_m, double airspeed_mps, double heading_rad, double pitch_rad,
                                double bank_rad) {
    BodyState s;
    s.attitude = AttitudeFrom(heading_rad, pitch_rad, bank_rad);
    s.position_m = {0, altitude_m, 0};
    s.velocity_mps = Vec3{std::sin(heading_rad), 0, std::cos(heading_rad)} * airspeed_mps;
    SetState(s);
    report_.contacts = 0;
    FeedReadings();
}

void FlightModel::Settle() {
    // Let the springs find their rest before the first frame; it takes no flight time.
    const double step_s = 1.0 / options_.frame_rate_hz;
    for (int i = 0; i < static_cast<int>(60 * options_.frame_rate_hz) && !parked_; ++i) Substep(step_s);
}

void FlightModel::PushControl(AIRCTRL_TYPE type, double level) {
    // Only a change is written (bit for bit, so a -0 still lands): the module may set levels too.
    const double clamped = std::clamp(level, -1.0, 1.0);
    if (std::memcmp(&vessel_->ctrl_level[type], &clamped, sizeof clamped) != 0) {
        rt_.set_control_surface_level(index_, type, clamped);
    }
}

void FlightModel::PushControls() {
    // The pilot's surfaces go through the host's levels, where the module reads them too.
    PushControl(AIRCTRL_ELEVATOR, controls_.elevator);
    PushControl(AIRCTRL_RUDDER, controls_.rudder);
    PushControl(AIRCTRL_AILERON, controls_.aileron);
    PushControl(AIRCTRL_ELEVATORTRIM, controls_.elevator_trim);
}

void FlightModel::Substep(double step_s) {
    PushControls();
    Accum a;
    Forces(step_s, a);
    Integrate(step_s, a);
}

void FlightModel::FeedReadings() {
    PushControls();
    rt_.set_airspeed_mps(index_, airspeed_mps());
    rt_.set_altitude_m(index_, altitude_m());
    rt_.set_aoa_rad(index_, aoa_rad());
    rt_.set_bank_rad(index_, bank_rad());
    rt_.set_ground_contact(index_, ground_contact());
    const double level = main_engine_level();
    for (std::size_t i : main_thrusters_) rt_.set_thruster_level(index_, i, level);
    rt_.set_focus_heading_rad(heading_rad());
}

double FlightModel::RunFrame(const SubstepHook& hook) {
    const host::VesselState& v = *vessel_;
    added_forces_.assign(v.forces.begin(), v.forces.end());
    rt_.begin_frame();
    ++frames_;
    const double max_step_s = 1.0 / options_.frame_rate_hz;
    const double factor = rt_.time_acceleration();
    const double frame_s = std::isfinite(factor) && factor > 0 ? factor * max_step_s : 0.0;
    if (frame_s > 0) {
        const int n = std::max(1, static_cast<int>(std::ceil(frame_s / max_step_s - 1e-9)));
        const double step_s = frame_s / n;
        for (int i = 0; i < n; ++i) {
            if (hook) hook(step_s);
            Substep(step_s);
        }
    }
    if (!Finite(body_.position_m) || !Finite(body_.velocity_mps) || !Finite(body_.omega_radps)) {
        throw std::runtime_error("flight model: the state is no longer finite at t = " + std::to_string(sim_time_s_) + " s");
    }
    sim_time_s_ += frame_s;
    FeedReadings();
    rt_.step(sim_time_s_, frame_s, options_.mjd_at_start + sim_time_s_ / 86400.0);
    return frame_s;
}

}  // namespace host::flight
