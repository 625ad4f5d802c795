#include "fly/script_player.h"

#include "flightmodel/units.h"

namespace vantorel_sim::fly {

namespace {
using host::flight::kDegPerRad;
}  // namespace

PilotScriptPlayer::PilotScriptPlayer(const PilotScript& script, host::Runtime& rt,
                                     const host::flight::FlightModel& model, Autopilot& pilot, MilestoneLog& log)
    : script_(script), rt_(rt), model_(model), pilot_(pilot), log_(log) {}

double PilotScriptPlayer::done_fraction() const {
    return static_cast<double>(next_) / static_cast<double>(script_.commands.size());
}

void PilotScriptPlayer::RunDue(double distance_m, std::string& end_reason) {
    while (next_ < script_.commands.size() && Due(script_.commands[next_], distance_m)) {
        const Command& c = script_.commands[next_++];
        last_fired_s_ = model_.sim_time_s();
        Apply(c, end_reason);
        if (!end_reason.empty()) return;
    }
}

double PilotScriptPlayer::Value(Quantity q, double distance_m) const {
    const host::flight::FlightModel& m = model_;
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
        case Quantity::distance_m: return distance_m;
    }
    return 0;
}

bool PilotScriptPlayer::Due(const Command& c, double distance_m) const {
    const double t = model_.sim_time_s();
    switch (c.trigger.kind) {
        case Trigger::Kind::at: return t + 1e-9 >= c.trigger.time_s;
        case Trigger::Kind::after: return t + 1e-9 >= last_fired_s_ + c.trigger.time_s;
        case Trigger::Kind::when: {
            const double v = Value(c.trigger.quantity, distance_m);
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

void PilotScriptPlayer::Apply(const Command& c, std::string& end_reason) {
    PilotInputs& in = pilot_.manual();
    using K = Command::Kind;
    switch (c.kind) {
        case K::key:
            rt_.queue_key(static_cast<DWORD>(c.value), true);
            rt_.queue_key(static_cast<DWORD>(c.value), false);
            break;
        case K::throttle:
            pilot_.Release(Hold::speed);
            in.throttle = c.value;
            break;
        case K::elevator:
            pilot_.Release(Hold::pitch);
            pilot_.Release(Hold::vertical_speed);
            pilot_.Release(Hold::altitude);
            in.pitch = c.value;
            break;
        case K::aileron:
            pilot_.Release(Hold::bank);
            pilot_.Release(Hold::heading);
            in.roll = c.value;
            break;
        case K::rudder:
            pilot_.Release(Hold::heading);
            in.yaw = c.value;
            break;
        case K::trim: in.trim = c.value; break;
        case K::brakes: in.brakes = c.value; break;
        case K::view:
            rt_.set_camera_internal(c.value == 1.0);
            log_.Mark("view", c.value == 1.0 ? "view: cockpit" : "view: outside");
            break;
        case K::warp: rt_.set_time_acceleration(c.value); break;
        case K::hold: pilot_.Engage(c.hold, c.value); break;
        case K::release:
            if (c.release_all) {
                pilot_.ReleaseAll();
            } else {
                pilot_.Release(c.hold);
            }
            break;
        case K::note: log_.Mark("note", c.note); break;
        case K::end: end_reason = "'end' on line " + std::to_string(c.line); break;
    }
}

}  // namespace vantorel_sim::fly
