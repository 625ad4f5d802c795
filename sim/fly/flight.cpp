#include "fly/flight.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <sstream>

#include "flightmodel/flight_model.h"
#include "flightmodel/units.h"
#include "common/library_paths.h"
#include "definition/vessel_layout.h"
#include "fly/autopilot.h"
#include "fly/envelope.h"
#include "runtime/host_runtime.h"
#include "runtime/sound_requests.h"
#include "runtime/trace.h"


namespace vantorel_sim::fly {

namespace {

using host::flight::kDegPerRad;

namespace layout = vantorel::layout;

std::string Fixed(double v, int digits) {
    std::ostringstream o;
    o.setf(std::ios::fixed);
    o.precision(digits);
    o << v;
    return o.str();
}

// The module's latest engine-sound request, as the sound library receives it.
class EngineSoundWatch {
public:
    explicit EngineSoundWatch(bool watch) : on_(watch) {
        if (on_) host::set_sound_observer([this](const host::SoundRequest& r) { Take(r); });
    }
    ~EngineSoundWatch() {
        if (on_) host::set_sound_observer({});
    }
    EngineSoundWatch(const EngineSoundWatch&) = delete;
    EngineSoundWatch& operator=(const EngineSoundWatch&) = delete;

    double freq_hz = 0;
    int volume = 0;

private:
    void Take(const host::SoundRequest& r) {
        if (r.slot != layout::kSoundEngine) return;
        if (r.kind == host::SoundRequest::Kind::play) {
            volume = r.volume;
            freq_hz = static_cast<double>(r.frequency_hz);
        } else if (r.kind == host::SoundRequest::Kind::stop) {
            volume = 0;
            freq_hz = 0;
        }
    }

    bool on_;
};

class Runner {
public:
    Runner(const PilotScript& script, const FlyOptions& options) : script_(script), opt_(options) {}

    FlightResult Run() {
        host::Runtime rt;
        std::optional<host::trace::Recording> recording;
        if (opt_.trace != nullptr) recording.emplace(opt_.trace);
        EngineSoundWatch sound(opt_.watch_sound);
        if (opt_.sound) rt.load_sound_library(opt_.sound_path.empty() ? DefaultSoundLibraryPath() : opt_.sound_path);
        rt.load_module(opt_.module_path.empty() ? DefaultModulePath() : opt_.module_path);
        const int index = rt.create_vessel();
        rt.set_focus(index);
        if (script_.start_fuel_kg) rt.set_fuel_mass_kg(index, *script_.start_fuel_kg);

        host::flight::FlightModel model(rt, index);
        model.PlaceOnGround(script_.start_heading_deg / kDegPerRad);
        Autopilot pilot(model);
        rt_ = &rt;
        model_ = &model;
        pilot_ = &pilot;
        sound_ = &sound;

        result_.summary.source = script_.source;
        result_.summary.fuel_start_kg = model.fuel_kg();
        prev_fuel_ = model.fuel_kg();
        prev_time_acc_ = rt.time_acceleration();
        const auto& pos = model.state().position_m;
        prev_east_ = pos.x;
        prev_north_ = pos.z;
        Sample first = Take();
        result_.samples.push_back(first);
        next_sample_ = opt_.sample_rate_hz > 0 ? 1.0 / opt_.sample_rate_hz : 1e300;

        const auto hook = [&pilot](double h) { pilot.Update(h); };
        std::int64_t frames = 0;
        std::string end_reason;
        while (end_reason.empty()) {
            RunDueCommands(end_reason);
            if (!end_reason.empty()) break;
            model.RunFrame(hook);
            ++frames;
            if (opt_.trace != nullptr) rt.write_state_event(index);
            Observe();
            if (opt_.sample_rate_hz > 0 && model.sim_time_s() + 1e-9 >= next_sample_) {
                result_.samples.push_back(Take());
                next_sample_ += 1.0 / opt_.sample_rate_hz;
                if (next_sample_ <= model.sim_time_s()) next_sample_ = model.sim_time_s() + 1.0 / opt_.sample_rate_hz;
            }
            if (opt_.on_progress && (frames & 1023) == 0) {
                opt_.on_progress(model.sim_time_s(), static_cast<double>(next_) / static_cast<double>(script_.commands.size()));
            }
            if (next_ >= script_.commands.size() && model.sim_time_s() >= last_fired_ + 1.0 &&
                (stopped_ || (!took_off_ && model.parked()))) {
                end_reason = "the script is done and the aircraft is at rest";
            } else if (next_ >= script_.commands.size() && model.sim_time_s() >= last_fired_ + 600.0) {
                end_reason = "600 s after the script's last line";
            } else if (model.sim_time_s() >= opt_.time_limit_s) {
                end_reason = "time limit of " + Fixed(opt_.time_limit_s, 0) + " s";
            }
        }
        if (result_.samples.empty() || result_.samples.back().frame != model.frames()) result_.samples.push_back(Take());
        if (!envelope_inside_ && !result_.summary.envelope_exits.empty()) {
            result_.summary.envelope_exits.back().duration_s = model.sim_time_s() - result_.summary.envelope_exits.back().time_s;
        }

        FlightSummary& s = result_.summary;
        s.flight_time_s = model.sim_time_s();
        s.frames = model.frames();
        s.end_reason = end_reason;
        s.fuel_end_kg = model.fuel_kg();
        s.fuel_used_kg = s.fuel_start_kg + s.fuel_refilled_kg - s.fuel_end_kg;
        s.took_off = took_off_;
        s.landed = landed_;
        s.stopped = stopped_;
        rt.set_frame(model.frames() + 1);
        rt.destroy_all_vessels();
        rt.unload_module();
        return std::move(result_);
    }

private:
    double Value(Quantity q) const {
        const host::flight::FlightModel& m = *model_;
        switch (q) {
            case Quantity::time_s: return m.sim_time_s();
            case Quantity::altitude_m: return m.altitude_m();
            case Quantity::airspeed_mps: return m.airspeed_mps();
            case Quantity::vertical_speed_mps: return m.vertical_speed_mps();
            case Quantity::pitch_deg: return m.pitch_rad() * kDegPerRad;
            case Quantity::bank_deg: return m.bank_rad() * kDegPerRad;
            case Quantity::heading_deg: return m.heading_rad() * kDegPerRad;
            case Quantity::aoa_deg: return m.aoa_rad() * kDegPerRad;
            case Quantity::fuel_kg: return m.fuel_kg();
            case Quantity::ground_contact: return m.ground_contact() ? 1.0 : 0.0;
            case Quantity::distance_m: return result_.summary.distance_m;
        }
        return 0;
    }

    bool Due(const Command& c) const {
        const double t = model_->sim_time_s();
        switch (c.trigger.kind) {
            case Trigger::Kind::at: return t + 1e-9 >= c.trigger.time_s;
            case Trigger::Kind::after: return t + 1e-9 >= last_fired_ + c.trigger.time_s;
            case Trigger::Kind::when: {
                const double v = Value(c.trigger.quantity);
                switch (c.trigger.compare) {
                    case Compare::less: return v < c.trigger.value;
                    case Compare::less_equal: return v <= c.trigger.value;
                    case Compare::greater: return v > c.trigger.value;
                    case Compare::greater_equal: return v >= c.trigger.value;
                }
            }
        }
        return false;
    }

    void RunDueCommands(std::string& end_reason) {
        while (next_ < script_.commands.size() && Due(script_.commands[next_])) {
            const Command& c = script_.commands[next_++];
            last_fired_ = model_->sim_time_s();
            Apply(c, end_reason);
            if (!end_reason.empty()) return;
        }
    }

    void Apply(const Command& c, std::string& end_reason) {
        PilotInputs& in = pilot_->manual();
        using K = Command::Kind;
        switch (c.kind) {
            case K::key:
                rt_->queue_key(static_cast<DWORD>(c.value), true);
                rt_->queue_key(static_cast<DWORD>(c.value), false);
                break;
            case K::throttle:
                pilot_->Release(Hold::speed);
                in.throttle = c.value;
                break;
            case K::elevator:
                pilot_->Release(Hold::pitch);
                pilot_->Release(Hold::vertical_speed);
                pilot_->Release(Hold::altitude);
                in.pitch = c.value;
                break;
            case K::aileron:
                pilot_->Release(Hold::bank);
                pilot_->Release(Hold::heading);
                in.roll = c.value;
                break;
            case K::rudder:
                pilot_->Release(Hold::heading);
                in.yaw = c.value;
                break;
            case K::trim: in.trim = c.value; break;
            case K::brakes: in.brakes = c.value; break;
            case K::view:
                rt_->set_camera_internal(c.value == 1.0);
                Mark("view", c.value == 1.0 ? "view: cockpit" : "view: outside");
                break;
            case K::warp: rt_->set_time_acceleration(c.value); break;
            case K::hold: pilot_->Engage(c.hold, c.value); break;
            case K::release:
                if (c.release_all) {
                    pilot_->ReleaseAll();
                } else {
                    pilot_->Release(c.hold);
                }
                break;
            case K::note: Mark("note", c.note); break;
            case K::end: end_reason = "'end' on line " + std::to_string(c.line); break;
        }
    }

    void Mark(const std::string& kind, const std::string& text, std::optional<double> when = std::nullopt) {
        Milestone m;
        m.time_s = when.value_or(model_->sim_time_s());
        m.frame = model_->frames();
        m.kind = kind;
        m.text = text;
        if (opt_.on_milestone) opt_.on_milestone(m);
        result_.milestones.push_back(std::move(m));
    }

    static double Anim(const host::VesselState& v, layout::Animation a) {
        const auto i = static_cast<std::size_t>(layout::Index(a));
        return i < v.animations.size() ? v.animations[i].state : 0.0;
    }

    // Milestones and the summary's counters, after every frame.
    void Observe() {
        const host::flight::FlightModel& m = *model_;
        const host::VesselState& v = m.vessel();
        const double t = m.sim_time_s();
        const auto& pos = m.state().position_m;
        const double step_m = std::hypot(pos.x - prev_east_, pos.z - prev_north_);
        prev_east_ = pos.x;
        prev_north_ = pos.z;
        FlightSummary& s = result_.summary;
        s.distance_m += step_m;
        const double speed = m.airspeed_mps();
        s.max_altitude_m = std::max(s.max_altitude_m, m.altitude_m());
        s.max_airspeed_mps = std::max(s.max_airspeed_mps, speed);
        s.max_mach = std::max(s.max_mach, m.forces().mach);

        const bool lights = !v.beacons.empty() && v.beacons[0] != nullptr && v.beacons[0]->active;
        if (lights != lights_) Mark(lights ? "lights-on" : "lights-off", lights ? "lights on: strobes flashing, cockpit lit" : "lights off");
        lights_ = lights;

        const double fuel = m.fuel_kg();
        if (fuel > prev_fuel_ + 1.0) {
            s.fuel_refilled_kg += fuel - prev_fuel_;
            Mark("refill", "refill request: tank filled from " + Fixed(prev_fuel_, 0) + " to " + Fixed(fuel, 0) + " kg");
        }
        prev_fuel_ = fuel;

        const double canopy = Anim(v, layout::Animation::canopy);
        if (canopy >= 1.0 && canopy_ < 1.0) {
            ++s.canopy_open_cycles;
            Mark("canopy-open", "canopy open");
        } else if (canopy <= 0.0 && canopy_ > 0.0) {
            ++s.canopy_close_cycles;
            Mark("canopy-closed", "canopy closed");
        }
        canopy_ = canopy;

        const double gear = Anim(v, layout::Animation::gear);
        if (gear >= 1.0 && gear_ < 1.0) {
            ++s.gear_up_cycles;
            Mark("gear-up", "gear up and locked at " + Fixed(m.altitude_m(), 0) + " m");
        } else if (gear <= 0.0 && gear_ > 0.0) {
            ++s.gear_down_cycles;
            Mark("gear-down", "gear down and locked at " + Fixed(m.altitude_m(), 0) + " m");
        }
        gear_ = gear;

        const double flaps = v.ctrl_level[AIRCTRL_FLAP];
        if (flaps >= 1.0 && flaps_ < 1.0) {
            ++s.flap_down_cycles;
            Mark("flaps-down", "flaps down");
        } else if (flaps <= 0.0 && flaps_ > 0.0) {
            ++s.flap_up_cycles;
            Mark("flaps-up", "flaps up");
        }
        flaps_ = flaps;

        const double throttle = m.controls().main_throttle;
        if (throttle >= 0.99 && throttle_ < 0.99) Mark("full-throttle", "full throttle, " + Fixed(m.forces().thrust_n / 1000, 0) + " kN");
        throttle_ = throttle;

        const double acc = rt_->time_acceleration();
        if (acc != prev_time_acc_) Mark("time-acceleration", "time acceleration x" + Fixed(acc, acc < 10 ? 1 : 0));
        if (rt_->next_time_acceleration() != acc) {
            Mark("time-acceleration-cap", "the module caps time acceleration at x" + Fixed(rt_->next_time_acceleration(), 0));
        }
        prev_time_acc_ = acc;

        const bool contact = m.ground_contact();
        if (contact) {
            airborne_s_ = 0;
            if (!took_off_ && !rolling_ && speed > 1.0) {
                rolling_ = true;
                roll_start_distance_ = s.distance_m;
                Mark("take-off-roll", "take-off roll begins, heading " + Fixed(m.heading_rad() * kDegPerRad, 0) + " deg");
            }
            double couple = 0;
            for (const host::ForceRec& f : v.forces) couple += f.point_m.z * f.force_n.x - f.point_m.x * f.force_n.z;
            if (!steering_reported_ && std::abs(couple) > 1e5) {
                steering_reported_ = true;
                Mark("nose-wheel-steering", "nose-wheel steering: couple " + Fixed(couple / 1e6, 2) + " MN m at " +
                                                Fixed(speed, 0) + " m/s, heading " + Fixed(m.heading_rad() * kDegPerRad, 0) + " deg");
            }
            if (rolling_ && !took_off_ && !rotated_ && m.pitch_rad() * kDegPerRad > 2.0) {
                rotated_ = true;
                Mark("rotation", "rotation at " + Fixed(speed, 0) + " m/s");
            }
            if (took_off_ && !landed_ && airborne_) {
                landed_ = true;
                s.landing_time_s = t;
                s.landing_speed_mps = speed;
                s.landing_sink_mps = -prev_vs_;
                touchdown_distance_ = s.distance_m;
                Mark("touchdown", "touchdown at " + Fixed(speed, 0) + " m/s, sinking " + Fixed(-prev_vs_, 1) + " m/s");
            }
            airborne_ = false;
            if (landed_ && !stopped_ && m.parked()) {
                stopped_ = true;
                s.landing_roll_m = s.distance_m - touchdown_distance_;
                Mark("stopped", "stopped after a landing roll of " + Fixed(s.landing_roll_m, 0) + " m");
            }
        } else {
            if (airborne_s_ == 0) {
                liftoff_time_ = t;
                liftoff_speed_ = speed;
                liftoff_distance_ = s.distance_m;
            }
            airborne_s_ += t - prev_t_;
            if (airborne_s_ >= 1.0 && !airborne_) {
                airborne_ = true;
                steering_reported_ = false;
                if (!took_off_) {
                    took_off_ = true;
                    s.takeoff_time_s = liftoff_time_;
                    s.takeoff_speed_mps = liftoff_speed_;
                    s.takeoff_roll_m = liftoff_distance_ - roll_start_distance_;
                    Mark("lift-off", "lift-off at " + Fixed(liftoff_speed_, 0) + " m/s after a take-off roll of " +
                                         Fixed(s.takeoff_roll_m, 0) + " m",
                         liftoff_time_);
                }
            }
        }
        prev_vs_ = m.vertical_speed_mps();

        const bool inside = v.cw[0] < kOutsideDragCoefficient && (v.thrusters.empty() || v.thrusters[0].max_thrust0_n > 0);
        if (!inside && envelope_inside_) {
            EnvelopeExit e;
            e.time_s = t;
            e.altitude_m = m.altitude_m();
            e.airspeed_mps = speed;
            e.reason = m.altitude_m() >= kEnvelopeCeilingM ? "altitude" : "airspeed";
            s.envelope_exits.push_back(e);
            Mark("envelope-exit", "envelope exit (" + e.reason + "): " + Fixed(e.altitude_m, 0) + " m at " +
                                      Fixed(speed, 0) + " m/s; engine cut, drag coefficients 999");
        } else if (inside && !envelope_inside_ && !s.envelope_exits.empty()) {
            EnvelopeExit& e = s.envelope_exits.back();
            e.duration_s = t - e.time_s;
            Mark("envelope-reentry", "back inside the envelope after " + Fixed(e.duration_s, 1) + " s, at " +
                                         Fixed(m.altitude_m(), 0) + " m and " + Fixed(speed, 0) + " m/s");
        }
        envelope_inside_ = inside;
        prev_t_ = t;
    }

    Sample Take() const {
        const host::flight::FlightModel& m = *model_;
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
        s.gear = Anim(v, layout::Animation::gear);
        s.flaps = v.ctrl_level[AIRCTRL_FLAP];
        s.canopy = Anim(v, layout::Animation::canopy);
        s.throttle_lever = Anim(v, layout::Animation::throttle);
        s.elevator = v.ctrl_level[AIRCTRL_ELEVATOR];
        s.aileron = v.ctrl_level[AIRCTRL_AILERON];
        s.rudder = v.ctrl_level[AIRCTRL_RUDDER];
        s.brakes = m.controls().brakes;
        s.ground_contact = m.ground_contact();
        s.inside_envelope = v.cw[0] < kOutsideDragCoefficient;
        s.lights = !v.beacons.empty() && v.beacons[0] != nullptr && v.beacons[0]->active;
        s.time_acceleration = rt_->time_acceleration();
        s.engine_sound_hz = sound_->freq_hz;
        s.engine_sound_volume = sound_->volume;
        return s;
    }

    const PilotScript& script_;
    const FlyOptions& opt_;
    FlightResult result_;
    host::Runtime* rt_ = nullptr;
    host::flight::FlightModel* model_ = nullptr;
    Autopilot* pilot_ = nullptr;
    EngineSoundWatch* sound_ = nullptr;
    std::size_t next_ = 0;
    double last_fired_ = 0;
    double next_sample_ = 0;

    bool lights_ = false;
    double prev_fuel_ = 0, canopy_ = 0, gear_ = 0, flaps_ = 0, throttle_ = 0, prev_time_acc_ = 1;
    double prev_east_ = 0, prev_north_ = 0, prev_t_ = 0, prev_vs_ = 0;
    bool rolling_ = false, rotated_ = false, took_off_ = false, airborne_ = false, landed_ = false, stopped_ = false;
    bool steering_reported_ = false;
    double airborne_s_ = 0, liftoff_time_ = 0, liftoff_speed_ = 0, liftoff_distance_ = 0;
    double roll_start_distance_ = 0, touchdown_distance_ = 0;
    bool envelope_inside_ = true;
};

}  // namespace


FlightResult Fly(const PilotScript& script, const FlyOptions& options) {
    Runner runner(script, options);
    return runner.Run();
}

PilotScript BuiltinFlight() { return ParsePilotScript(BuiltinFlightText(), "built-in flight"); }

FlightResult FlyBuiltinFlight(const FlyOptions& options) { return Fly(BuiltinFlight(), options); }

}  // namespace vantorel_sim::fly
