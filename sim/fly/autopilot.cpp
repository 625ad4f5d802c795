#include "fly/autopilot.h"

#include <algorithm>
#include <cmath>

#include "flightmodel/units.h"

namespace vantorel_sim::fly {

namespace {

using host::flight::kPi;
using host::flight::kTwoPi;
using host::flight::kRadPerDeg;

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
    aoa_filtered_ += (std::clamp(model_.aoa_rad(), -0.3, 0.3) - aoa_filtered_) * std::min(1.0, step_s / 2.0);

    // Elevator: pitch, or pitch for a vertical speed, or a vertical speed for an altitude.
    std::optional<double> pitch_target;
    if (pitch_) {
        pitch_target = *pitch_ * kRadPerDeg;
    } else if (vs_ || altitude_) {
        const double vs_target = vs_ ? *vs_ : std::clamp(0.2 * (*altitude_ - model_.altitude_m()), -40.0, 40.0);
        const double vc = std::max(v, 30.0);
        const double gamma_t = std::asin(std::clamp(vs_target / vc, -0.7, 0.7));
        const double gamma = std::asin(std::clamp(model_.vertical_speed_mps() / vc, -1.0, 1.0));
        pitch_target = std::clamp(gamma_t + aoa_filtered_ + 0.8 * (gamma_t - gamma), -35 * kRadPerDeg, 40 * kRadPerDeg);
    }
    double pitch_in = manual_.pitch;
    if (pitch_target) {
        pitch_in = PitchInput(*pitch_target, step_s, ground);
    } else {
        pitch_disturbance_ = 0;
        pitch_accel_cmd_ = 0;
        prev_pitch_rate_ = (theta - prev_pitch_) / step_s;
    }

    // Ailerons: a bank, or a bank for a heading; on the ground the wings stay level.
    std::optional<double> bank_target;
    if (bank_) {
        bank_target = *bank_ * kRadPerDeg;
    } else if (heading_) {
        const double err = Wrap(*heading_ * kRadPerDeg - psi);
        bank_target = ground ? 0.0 : std::clamp(1.5 * err, -25 * kRadPerDeg, 25 * kRadPerDeg);
    }
    double roll_in = manual_.roll;
    if (bank_target) {
        roll_in = RollInput(*bank_target, step_s, ground);
    } else {
        bank_disturbance_ = 0;
        bank_accel_cmd_ = 0;
        prev_bank_rate_ = Wrap(phi - prev_bank_) / step_s;
    }

    // Rudder: on the ground the heading hold steers with it (the module turns
    // the rudder into nose-wheel steering).
    double yaw_in = manual_.yaw;
    if (heading_ && ground) {
        const double err = Wrap(*heading_ * kRadPerDeg - psi);
        const double rate = Wrap(psi - prev_heading_) / step_s;
        yaw_in = std::clamp(0.6 * err - 0.5 * rate, -1.0, 1.0);
    } else if (heading_) {
        yaw_in = 0;
    }

    double throttle = manual_.throttle;
    if (speed_) {
        const double err = *speed_ - v;
        throttle_integral_ = std::clamp(throttle_integral_ + 0.004 * err * step_s, 0.0, 1.0);
        throttle = std::clamp(throttle_integral_ + 0.03 * err, 0.0, 1.0);
    }

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
