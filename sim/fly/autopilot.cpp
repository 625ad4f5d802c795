#include "fly/autopilot.h"

#include <algorithm>
#include <cmath>

#include "flightmodel/units.h"

namespace vantorel_sim::fly {

namespace {

using host::flight::kPi;
using host::flight::kTwoPi;
using host::flight::kRadPerDeg;

// The angle of attack a vertical-speed hold allows for: the reading clamped to
// this and smoothed over this time.
constexpr double kMaxFilteredAoa_rad = 0.3;
constexpr double kAoaFilterTime_s = 2.0;
// Altitude hold: the vertical speed asked per metre of altitude error, at most
// kMaxClimb_mps either way.
constexpr double kClimbPerAltitudeError_per_s = 0.2;
constexpr double kMaxClimb_mps = 40.0;
// Vertical-speed hold: below this airspeed the flight path is worked out as at
// it; the path asked for is at most this steep (its sine: about 44 degrees);
// the pitch target adds this much of the path error.
constexpr double kMinPathSpeed_mps = 30.0;
constexpr double kMaxPathSine = 0.7;
constexpr double kPathErrorGain = 0.8;
constexpr double kMinPitchTarget_deg = -35.0;
constexpr double kMaxPitchTarget_deg = 40.0;
// Heading hold in the air: radians of bank asked per radian of heading error.
constexpr double kBankPerHeadingError = 1.5;
constexpr double kMaxBankTarget_deg = 25.0;
// Heading hold on the ground: rudder level per radian of heading error and
// per rad/s of turn rate.
constexpr double kRudderPerHeadingError = 0.6;
constexpr double kRudderPerTurnRate_s = 0.5;
// Speed hold: throttle level per m/s of speed error (proportional) and per
// metre of it accumulated over time (integral).
constexpr double kThrottleProportional_s_per_m = 0.03;
constexpr double kThrottleIntegral_per_m = 0.004;

double Wrap(double a) {
    while (a > kPi) a -= kTwoPi;
    while (a <= -kPi) a += kTwoPi;
    return a;
}

}  // namespace

Autopilot::Autopilot(host::flight::FlightModel& model) : model_(model) {
    for (const host::ControlSurfaceRec& c : model_.vessel().control_surfaces) {
        if (c.type == AIRCTRL_ELEVATOR) elevator_gain_ += c.area_m2 * c.dcl * std::abs(c.ref_m.z);
        if (c.type == AIRCTRL_AILERON) aileron_gain_ += c.area_m2 * c.dcl * std::abs(c.ref_m.x);
    }
}

std::optional<double> Autopilot::target(Hold hold) const {
    switch (hold) {
        case Hold::pitch: return pitch_;
        case Hold::bank: return bank_;
        case Hold::vertical_speed: return vs_;
        case Hold::altitude: return altitude_;
        case Hold::heading: return heading_;
        case Hold::speed: return speed_;
    }
    return std::nullopt;
}

void Autopilot::Engage(Hold hold, double target) {
    switch (hold) {
        case Hold::pitch:
        case Hold::vertical_speed:
        case Hold::altitude:
            pitch_.reset();
            vs_.reset();
            altitude_.reset();
            (hold == Hold::pitch ? pitch_ : hold == Hold::vertical_speed ? vs_ : altitude_) = target;
            break;
        case Hold::bank:
        case Hold::heading:
            bank_.reset();
            heading_.reset();
            (hold == Hold::bank ? bank_ : heading_) = target;
            break;
        case Hold::speed:
            if (!speed_) throttle_integral_ = model_.controls().main_throttle;
            speed_ = target;
            break;
    }
}

void Autopilot::Release(Hold hold) {
    switch (hold) {
        case Hold::pitch: pitch_.reset(); break;
        case Hold::bank: bank_.reset(); break;
        case Hold::vertical_speed: vs_.reset(); break;
        case Hold::altitude: altitude_.reset(); break;
        case Hold::heading: heading_.reset(); break;
        case Hold::speed:
            if (speed_) manual_.throttle = model_.controls().main_throttle;
            speed_.reset();
            break;
    }
}

void Autopilot::ReleaseAll() {
    for (Hold h : {Hold::pitch, Hold::bank, Hold::vertical_speed, Hold::altitude, Hold::heading, Hold::speed}) Release(h);
}

double Autopilot::PitchInput(double target_rad, double step_s, bool ground) {
    const double mass = model_.mass_kg();
    const double inertia = model_.vessel().pmi_m2.x * mass;
    const double q = model_.forces().dynamic_pressure_pa;
    const double theta = model_.pitch_rad();
    const double rate = (theta - prev_pitch_) / step_s;
    if (ground) {
        // The ground holds the nose up or down; pull harder the longer it does,
        // up to the elevator's authority, so the rotation does not stall.
        const double authority = inertia > 0 ? q * elevator_gain_ / inertia : 0.0;
        pitch_disturbance_ = std::clamp(pitch_disturbance_ - 2.0 * (target_rad - theta) * step_s, -authority, authority);
    } else {
        const double measured = (rate - prev_pitch_rate_) / step_s;
        pitch_disturbance_ += (measured - pitch_accel_cmd_ - pitch_disturbance_) * std::min(1.0, step_s / 0.4);
    }
    constexpr double kFrequencyRadps = 1.5, kDampingRatio = 0.9;
    const double accel = kFrequencyRadps * kFrequencyRadps * (target_rad - theta) - 2 * kDampingRatio * kFrequencyRadps * rate -
                         pitch_disturbance_;
    const double gain = std::max(q, 800.0) * elevator_gain_;
    const double input = gain > 0 ? std::clamp(inertia * accel / gain, -1.0, 1.0) : 0.0;
    pitch_accel_cmd_ = inertia > 0 ? input * q * elevator_gain_ / inertia : 0.0;
    prev_pitch_rate_ = rate;
    return input;
}

double Autopilot::RollInput(double target_rad, double step_s, bool ground) {
    const double mass = model_.mass_kg();
    const double inertia = model_.vessel().pmi_m2.z * mass;
    const double q = model_.forces().dynamic_pressure_pa;
    const double phi = model_.bank_rad();
    const double rate = Wrap(phi - prev_bank_) / step_s;
    if (ground) {
        bank_disturbance_ = 0;
    } else {
        const double measured = (rate - prev_bank_rate_) / step_s;
        bank_disturbance_ += (measured - bank_accel_cmd_ - bank_disturbance_) * std::min(1.0, step_s / 0.4);
    }
    constexpr double kFrequencyRadps = 2.0, kDampingRatio = 0.9;
    const double accel = kFrequencyRadps * kFrequencyRadps * Wrap(target_rad - phi) -
                         2 * kDampingRatio * kFrequencyRadps * rate - bank_disturbance_;
    const double gain = std::max(q, 800.0) * aileron_gain_;
    const double input = gain > 0 ? std::clamp(inertia * accel / gain, -1.0, 1.0) : 0.0;
    bank_accel_cmd_ = inertia > 0 ? input * q * aileron_gain_ / inertia : 0.0;
    prev_bank_rate_ = rate;
    return input;
}

std::optional<double> Autopilot::PitchTarget(double v) const {
    if (pitch_) return *pitch_ * kRadPerDeg;
    if (!vs_ && !altitude_) return std::nullopt;
    const double vs_target = vs_ ? *vs_
                                 : std::clamp(kClimbPerAltitudeError_per_s * (*altitude_ - model_.altitude_m()),
                                              -kMaxClimb_mps, kMaxClimb_mps);
    const double vc = std::max(v, kMinPathSpeed_mps);
    const double gamma_t = std::asin(std::clamp(vs_target / vc, -kMaxPathSine, kMaxPathSine));
    const double gamma = std::asin(std::clamp(model_.vertical_speed_mps() / vc, -1.0, 1.0));
    return std::clamp(gamma_t + aoa_filtered_ + kPathErrorGain * (gamma_t - gamma), kMinPitchTarget_deg * kRadPerDeg,
                      kMaxPitchTarget_deg * kRadPerDeg);
}

double Autopilot::ElevatorInput(double theta, double v, double step_s, bool ground) {
    const std::optional<double> pitch_target = PitchTarget(v);
    if (pitch_target) return PitchInput(*pitch_target, step_s, ground);
    pitch_disturbance_ = 0;
    pitch_accel_cmd_ = 0;
    prev_pitch_rate_ = (theta - prev_pitch_) / step_s;
    return manual_.pitch;
}

std::optional<double> Autopilot::BankTarget(double psi, bool ground) const {
    if (bank_) return *bank_ * kRadPerDeg;
    if (!heading_) return std::nullopt;
    if (ground) return 0.0;
    const double err = Wrap(*heading_ * kRadPerDeg - psi);
    return std::clamp(kBankPerHeadingError * err, -kMaxBankTarget_deg * kRadPerDeg, kMaxBankTarget_deg * kRadPerDeg);
}

double Autopilot::AileronInput(double phi, double psi, double step_s, bool ground) {
    const std::optional<double> bank_target = BankTarget(psi, ground);
    if (bank_target) return RollInput(*bank_target, step_s, ground);
    bank_disturbance_ = 0;
    bank_accel_cmd_ = 0;
    prev_bank_rate_ = Wrap(phi - prev_bank_) / step_s;
    return manual_.roll;
}

double Autopilot::RudderInput(double psi, double step_s, bool ground) const {
    if (!heading_) return manual_.yaw;
    if (!ground) return 0;
    const double err = Wrap(*heading_ * kRadPerDeg - psi);
    const double rate = Wrap(psi - prev_heading_) / step_s;
    return std::clamp(kRudderPerHeadingError * err - kRudderPerTurnRate_s * rate, -1.0, 1.0);
}

double Autopilot::ThrottleInput(double v, double step_s) {
    if (!speed_) return manual_.throttle;
    const double err = *speed_ - v;
    throttle_integral_ = std::clamp(throttle_integral_ + kThrottleIntegral_per_m * err * step_s, 0.0, 1.0);
    return std::clamp(throttle_integral_ + kThrottleProportional_s_per_m * err, 0.0, 1.0);
}

void Autopilot::Update(double step_s) {
    const double theta = model_.pitch_rad();
    const double phi = model_.bank_rad();
    const double psi = model_.heading_rad();
    const double v = model_.airspeed_mps();
    const bool ground = model_.ground_contact();
    if (!primed_) {
        prev_pitch_ = theta;
        prev_bank_ = phi;
        prev_heading_ = psi;
        aoa_filtered_ = model_.aoa_rad();
        primed_ = true;
    }
    aoa_filtered_ += (std::clamp(model_.aoa_rad(), -kMaxFilteredAoa_rad, kMaxFilteredAoa_rad) - aoa_filtered_) *
                     std::min(1.0, step_s / kAoaFilterTime_s);

    // Elevator: pitch, or pitch for a vertical speed, or a vertical speed for an altitude.
    const double pitch_in = ElevatorInput(theta, v, step_s, ground);
    // Ailerons: a bank, or a bank for a heading; on the ground the wings stay level.
    const double roll_in = AileronInput(phi, psi, step_s, ground);
    // Rudder: on the ground the heading hold steers with it (the module turns
    // the rudder into nose-wheel steering).
    const double yaw_in = RudderInput(psi, step_s, ground);
    const double throttle = ThrottleInput(v, step_s);

    host::flight::Controls& c = model_.controls();
    c.elevator = -pitch_in;
    c.aileron = -roll_in;
    c.rudder = yaw_in;
    c.elevator_trim = -manual_.trim;
    c.main_throttle = throttle;
    c.brakes = manual_.brakes;

    prev_pitch_ = theta;
    prev_bank_ = phi;
    prev_heading_ = psi;
}

}  // namespace vantorel_sim::fly
