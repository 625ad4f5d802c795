// Simple holds so that a pilot script can describe a flight without hand-tuned
// stick inputs: pitch, bank, vertical speed, altitude, heading and airspeed.
// It moves the same controls a pilot would (elevator, ailerons, rudder,
// throttle); what the aircraft does with them is the flight model's business.
#ifndef VANTOREL_SIM_FLY_AUTOPILOT_H
#define VANTOREL_SIM_FLY_AUTOPILOT_H

#include <optional>

#include "flightmodel/flight_model.h"
#include "fly/pilot_script.h"

namespace vantorel_sim::fly {

// The pilot's hands, in pilot terms: positive pitch raises the nose, positive
// roll lowers the right wing, positive yaw swings the nose right.
struct PilotInputs {
    double pitch = 0;
    double roll = 0;
    double yaw = 0;
    double trim = 0;
    double throttle = 0;
    double brakes = 0;
};

class Autopilot {
public:
    explicit Autopilot(host::flight::FlightModel& model);

    // Targets in degrees, m/s or m. A hold replaces the others of its channel
    // (pitch, vs and altitude share the elevator; bank and heading the ailerons).
    void Engage(Hold hold, double target);
    void Release(Hold hold);
    void ReleaseAll();
    std::optional<double> target(Hold hold) const;

    PilotInputs& manual() { return manual_; }

    // Before each substep: works out the inputs and sets the model's controls.
    void Update(double step_s);

private:
    // Each channel's input for this substep. theta, phi, psi: pitch, bank and
    // heading now (rad); v: airspeed (m/s); `ground`: a touchdown point is on
    // the ground (asked once per update).
    double ElevatorInput(double theta, double v, double step_s, bool ground);
    double AileronInput(double phi, double psi, double step_s, bool ground);
    double RudderInput(double psi, double step_s, bool ground) const;
    double ThrottleInput(double v, double step_s);
    // The pitch the elevator holds: the pitch hold's, or the one for a
    // vertical speed, or for the vertical speed an altitude asks; none
    // without a hold of the channel.
    std::optional<double> PitchTarget(double v) const;
    // The bank the ailerons hold: the bank hold's, or the one for a heading
    // (wings level on the ground).
    std::optional<double> BankTarget(double psi, bool ground) const;
    double PitchInput(double target_rad, double step_s, bool ground);
    double RollInput(double target_rad, double step_s, bool ground);

    host::flight::FlightModel& model_;
    PilotInputs manual_;
    std::optional<double> pitch_, bank_, vs_, altitude_, heading_, speed_;
    double elevator_gain_ = 0;  // pitch moment per unit elevator level per Pa
    double aileron_gain_ = 0;   // roll moment per unit aileron level per Pa
    // Previous substep, for rates and the disturbance estimates.
    bool primed_ = false;
    double prev_pitch_ = 0, prev_pitch_rate_ = 0, pitch_accel_cmd_ = 0, pitch_disturbance_ = 0;
    double prev_bank_ = 0, prev_bank_rate_ = 0, bank_accel_cmd_ = 0, bank_disturbance_ = 0;
    double prev_heading_ = 0;
    double aoa_filtered_ = 0;
    double throttle_integral_ = 0;
};

}  // namespace vantorel_sim::fly

#endif
