// Plays a pilot script: each line once its trigger is due, strictly in order.
// Keys, the view and time acceleration go to the host; stick, throttle,
// brakes and holds to the autopilot.
#ifndef VANTOREL_SIM_FLY_SCRIPT_PLAYER_H
#define VANTOREL_SIM_FLY_SCRIPT_PLAYER_H

#include <cstddef>
#include <string>

#include "flightmodel/flight_model.h"
#include "fly/autopilot.h"
#include "fly/milestones.h"
#include "fly/pilot_script.h"

namespace vantorel_sim::fly {

class PilotScriptPlayer {
public:
    PilotScriptPlayer(const PilotScript& script, host::Runtime& rt, const host::flight::FlightModel& model,
                      Autopilot& pilot, MilestoneLog& log);

    // Runs the lines that are due before the next frame. A line that ends the
    // flight sets end_reason and stops there. distance_m: flown so far.
    void RunDue(double distance_m, std::string& end_reason);

    bool done() const { return next_ >= script_.commands.size(); }
    double done_fraction() const;
    double last_fired_s() const { return last_fired_s_; }

private:
    double Value(Quantity q, double distance_m) const;
    bool Due(const Command& c, double distance_m) const;
    void Apply(const Command& c, std::string& end_reason);

    const PilotScript& script_;
    host::Runtime& rt_;
    const host::flight::FlightModel& model_;
    Autopilot& pilot_;
    MilestoneLog& log_;
    std::size_t next_ = 0;
    double last_fired_s_ = 0;
};

}  // namespace vantorel_sim::fly

#endif
