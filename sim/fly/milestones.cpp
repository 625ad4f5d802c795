#include "fly/milestones.h"

#include <algorithm>
#include <cmath>

#include "flightmodel/units.h"
#include "fly/fixed_text.h"
#include "fly/vessel_readings.h"

namespace vantorel_sim::fly {

namespace {

using host::flight::kDegPerRad;
using vantorel::layout::Animation;

// A part moving between 0 and 1: +1 when it has just reached 1, -1 when it
// has just reached 0, else 0. Remembers the level for the next frame.
int Arrival(double level, double& last) {
    const int arrived = level >= 1.0 && last < 1.0 ? 1 : (level <= 0.0 && last > 0.0 ? -1 : 0);
    last = level;
    return arrived;
}

// The yawing moment of the forces the module added: its nose-wheel steering.
double SteeringCouple(const host::VesselState& v) {
    double couple = 0;
    for (const host::ForceRec& f : v.forces) couple += f.point_m.z * f.force_n.x - f.point_m.x * f.force_n.z;
    return couple;
}

}  // namespace

void MilestoneLog::Mark(const std::string& kind, const std::string& text, std::optional<double> when_s) {
    Milestone m;
    m.time_s = when_s.value_or(model_.sim_time_s());
    m.frame = model_.frames();
    m.kind = kind;
    m.text = text;
    if (hook_) hook_(m);
    out_.push_back(std::move(m));
}

MilestoneObserver::MilestoneObserver(const host::flight::FlightModel& model, const host::Runtime& rt,
                                     MilestoneLog& log, FlightSummary& summary)
    : model_(model), rt_(rt), log_(log), summary_(summary) {
    fuel_kg_ = model.fuel_kg();
    time_acceleration_ = rt.time_acceleration();
    east_m_ = model.state().position_m.x;
    north_m_ = model.state().position_m.z;
}

void MilestoneObserver::Observe() {
    const host::VesselState& v = model_.vessel();
    const double t = model_.sim_time_s();
    Travel();
    const double speed = model_.airspeed_mps();
    Lights(v);
    Refill();
    Cycles(v);
    Throttle();
    TimeAcceleration();
    if (model_.ground_contact()) {
        OnTheGround(speed);
    } else {
        InTheAir(t, speed);
    }
    vertical_speed_mps_ = model_.vertical_speed_mps();
    Envelope(v, t, speed);
    time_s_ = t;
}

void MilestoneObserver::Finish() {
    if (!inside_envelope_ && !summary_.envelope_exits.empty()) {
        summary_.envelope_exits.back().duration_s = model_.sim_time_s() - summary_.envelope_exits.back().time_s;
    }
    summary_.took_off = took_off_;
    summary_.landed = landed_;
    summary_.stopped = stopped_;
}

void MilestoneObserver::Travel() {
    const auto& pos = model_.state().position_m;
    summary_.distance_m += std::hypot(pos.x - east_m_, pos.z - north_m_);
    east_m_ = pos.x;
    north_m_ = pos.z;
    summary_.max_altitude_m = std::max(summary_.max_altitude_m, model_.altitude_m());
    summary_.max_airspeed_mps = std::max(summary_.max_airspeed_mps, model_.airspeed_mps());
    summary_.max_mach = std::max(summary_.max_mach, model_.forces().mach);
}

void MilestoneObserver::Lights(const host::VesselState& v) {
    const bool lights = LightsOn(v);
    if (lights != lights_) {
        log_.Mark(lights ? "lights-on" : "lights-off", lights ? "lights on: strobes flashing, cockpit lit" : "lights off");
    }
    lights_ = lights;
}

// The module's refill lands in the host's tank: the fuel jumps.
void MilestoneObserver::Refill() {
    const double fuel = model_.fuel_kg();
    if (fuel > fuel_kg_ + 1.0) {
        summary_.fuel_refilled_kg += fuel - fuel_kg_;
        log_.Mark("refill", "refill request: tank filled from " + Fixed(fuel_kg_, 0) + " to " + Fixed(fuel, 0) + " kg");
    }
    fuel_kg_ = fuel;
}

void MilestoneObserver::Cycles(const host::VesselState& v) {
    FlightSummary& s = summary_;
    switch (Arrival(AnimationState(v, Animation::canopy), canopy_)) {
        case 1: ++s.canopy_open_cycles; log_.Mark("canopy-open", "canopy open"); break;
        case -1: ++s.canopy_close_cycles; log_.Mark("canopy-closed", "canopy closed"); break;
        default: break;
    }
    // Formatted only when the gear arrives: a string stream every frame would cost more than the frame.
    const auto at = [this] { return " and locked at " + Fixed(model_.altitude_m(), 0) + " m"; };
    switch (Arrival(AnimationState(v, Animation::gear), gear_)) {
        case 1: ++s.gear_up_cycles; log_.Mark("gear-up", "gear up" + at()); break;
        case -1: ++s.gear_down_cycles; log_.Mark("gear-down", "gear down" + at()); break;
        default: break;
    }
    switch (Arrival(v.ctrl_level[AIRCTRL_FLAP], flaps_)) {
        case 1: ++s.flap_down_cycles; log_.Mark("flaps-down", "flaps down"); break;
        case -1: ++s.flap_up_cycles; log_.Mark("flaps-up", "flaps up"); break;
        default: break;
    }
}

void MilestoneObserver::Throttle() {
    const double throttle = model_.controls().main_throttle;
    if (throttle >= 0.99 && throttle_ < 0.99) {
        log_.Mark("full-throttle", "full throttle, " + Fixed(model_.forces().thrust_n / 1000, 0) + " kN");
    }
    throttle_ = throttle;
}

void MilestoneObserver::TimeAcceleration() {
    const double acc = rt_.time_acceleration();
    if (acc != time_acceleration_) log_.Mark("time-acceleration", "time acceleration x" + Fixed(acc, acc < 10 ? 1 : 0));
    if (rt_.next_time_acceleration() != acc) {
        log_.Mark("time-acceleration-cap",
                  "the module caps time acceleration at x" + Fixed(rt_.next_time_acceleration(), 0));
    }
    time_acceleration_ = acc;
}

// The take-off roll, steering and rotation; the touchdown and the stop.
void MilestoneObserver::OnTheGround(double speed) {
    FlightSummary& s = summary_;
    const double heading_deg = model_.heading_rad() * kDegPerRad;
    airborne_s_ = 0;
    if (!took_off_ && !rolling_ && speed > 1.0) {
        rolling_ = true;
        roll_start_distance_m_ = s.distance_m;
        log_.Mark("take-off-roll", "take-off roll begins, heading " + Fixed(heading_deg, 0) + " deg");
    }
    const double couple = SteeringCouple(model_.vessel());
    if (!steering_reported_ && std::abs(couple) > 1e5) {
        steering_reported_ = true;
        log_.Mark("nose-wheel-steering", "nose-wheel steering: couple " + Fixed(couple / 1e6, 2) + " MN m at " +
                                             Fixed(speed, 0) + " m/s, heading " + Fixed(heading_deg, 0) + " deg");
    }
    if (rolling_ && !took_off_ && !rotated_ && model_.pitch_rad() * kDegPerRad > 2.0) {
        rotated_ = true;
        log_.Mark("rotation", "rotation at " + Fixed(speed, 0) + " m/s");
    }
    if (took_off_ && !landed_ && airborne_) {
        landed_ = true;
        s.landing_time_s = model_.sim_time_s();
        s.landing_speed_mps = speed;
        s.landing_sink_mps = -vertical_speed_mps_;
        touchdown_distance_m_ = s.distance_m;
        log_.Mark("touchdown",
                  "touchdown at " + Fixed(speed, 0) + " m/s, sinking " + Fixed(-vertical_speed_mps_, 1) + " m/s");
    }
    airborne_ = false;
    if (landed_ && !stopped_ && model_.parked()) {
        stopped_ = true;
        s.landing_roll_m = s.distance_m - touchdown_distance_m_;
        log_.Mark("stopped", "stopped after a landing roll of " + Fixed(s.landing_roll_m, 0) + " m");
    }
}

// Airborne after a whole second off the ground; the lift-off is dated back
// to the moment the wheels left.
void MilestoneObserver::InTheAir(double t, double speed) {
    FlightSummary& s = summary_;
    if (airborne_s_ == 0) {
        liftoff_time_s_ = t;
        liftoff_speed_mps_ = speed;
        liftoff_distance_m_ = s.distance_m;
    }
    airborne_s_ += t - time_s_;
    if (!(airborne_s_ >= 1.0) || airborne_) return;
    airborne_ = true;
    steering_reported_ = false;
    if (took_off_) return;
    took_off_ = true;
    s.takeoff_time_s = liftoff_time_s_;
    s.takeoff_speed_mps = liftoff_speed_mps_;
    s.takeoff_roll_m = liftoff_distance_m_ - roll_start_distance_m_;
    log_.Mark("lift-off",
              "lift-off at " + Fixed(liftoff_speed_mps_, 0) + " m/s after a take-off roll of " +
                  Fixed(s.takeoff_roll_m, 0) + " m",
              liftoff_time_s_);
}

void MilestoneObserver::Envelope(const host::VesselState& v, double t, double speed) {
    FlightSummary& s = summary_;
    const bool inside = InsideEnvelope(v);
    if (!inside && inside_envelope_) {
        EnvelopeExit e;
        e.time_s = t;
        e.altitude_m = model_.altitude_m();
        e.airspeed_mps = speed;
        e.reason = model_.altitude_m() >= kEnvelopeCeilingM ? "altitude" : "airspeed";
        s.envelope_exits.push_back(e);
        log_.Mark("envelope-exit", "envelope exit (" + e.reason + "): " + Fixed(e.altitude_m, 0) + " m at " +
                                       Fixed(speed, 0) + " m/s; engine cut, drag coefficients 999");
    } else if (inside && !inside_envelope_ && !s.envelope_exits.empty()) {
        EnvelopeExit& e = s.envelope_exits.back();
        e.duration_s = t - e.time_s;
        log_.Mark("envelope-reentry", "back inside the envelope after " + Fixed(e.duration_s, 1) + " s, at " +
                                          Fixed(model_.altitude_m(), 0) + " m and " + Fixed(speed, 0) + " m/s");
    }
    inside_envelope_ = inside;
}

}  // namespace vantorel_sim::fly
