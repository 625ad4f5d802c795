// The flight's milestones: take-off and touchdown, gear, canopy and flap
// cycles, envelope exits and the rest, found by watching the aircraft after
// every frame. The observer also keeps the summary's counters and maxima.
#ifndef VANTOREL_SIM_FLY_MILESTONES_H
#define VANTOREL_SIM_FLY_MILESTONES_H

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "flightmodel/flight_model.h"
#include "fly/flight.h"

namespace vantorel_sim::fly {

// Milestones as they happen: kept in order and handed to the caller's hook.
class MilestoneLog {
public:
    MilestoneLog(const host::flight::FlightModel& model, std::function<void(const Milestone&)> hook,
                 std::vector<Milestone>& out)
        : model_(model), hook_(std::move(hook)), out_(out) {}

    // At the current frame; `when_s` dates it earlier (lift-off is known a second late).
    void Mark(const std::string& kind, const std::string& text, std::optional<double> when_s = std::nullopt);

private:
    const host::flight::FlightModel& model_;
    std::function<void(const Milestone&)> hook_;
    std::vector<Milestone>& out_;
};

class MilestoneObserver {
public:
    MilestoneObserver(const host::flight::FlightModel& model, const host::Runtime& rt, MilestoneLog& log,
                      FlightSummary& summary);

    // After every frame.
    void Observe();
    // At the end of the flight: an envelope exit still open lasts until now,
    // and the summary learns whether it took off, landed and stopped.
    void Finish();

    bool took_off() const { return took_off_; }
    bool stopped() const { return stopped_; }

private:
    void Travel();
    void Lights(const host::VesselState& v);
    void Refill();
    void Cycles(const host::VesselState& v);
    void Throttle();
    void TimeAcceleration();
    void OnTheGround(double speed_mps);
    void InTheAir(double time_s, double speed_mps);
    void Envelope(const host::VesselState& v, double time_s, double speed_mps);

    const host::flight::FlightModel& model_;
    const host::Runtime& rt_;
    MilestoneLog& log_;
    FlightSummary& summary_;

    bool lights_ = false;
    double fuel_kg_ = 0, canopy_ = 0, gear_ = 0, flaps_ = 0, throttle_ = 0, time_acceleration_ = 1;
    double east_m_ = 0, north_m_ = 0, time_s_ = 0, vertical_speed_mps_ = 0;
    bool rolling_ = false, rotated_ = false, took_off_ = false, airborne_ = false, landed_ = false, stopped_ = false;
    bool steering_reported_ = false;
    double airborne_s_ = 0, liftoff_time_s_ = 0, liftoff_speed_mps_ = 0, liftoff_distance_m_ = 0;
    double roll_start_distance_m_ = 0, touchdown_distance_m_ = 0;
    bool inside_envelope_ = true;
};

}  // namespace vantorel_sim::fly

#endif
