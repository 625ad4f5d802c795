// The flying machinery of one flight: the module and the sound library loaded
// into the host, one vessel, the flight model that moves it and the autopilot
// on its controls. A frame is the autopilot before every substep of the
// flight model, then the host's frame with the module's step.
#ifndef VANTOREL_SIM_FLY_FRAME_RUNNER_H
#define VANTOREL_SIM_FLY_FRAME_RUNNER_H

#include <cstdint>

#include "flightmodel/flight_model.h"
#include "fly/autopilot.h"
#include "fly/flight.h"
#include "runtime/host_runtime.h"

namespace vantorel_sim::fly {

class FrameRunner {
public:
    // Loads the libraries, creates the vessel and parks it as the script
    // starts. Throws host::HostError when the module cannot be loaded.
    FrameRunner(host::Runtime& rt, const PilotScript& script, const FlyOptions& options);

    void RunFrame();
    // The host's end of the flight: vessels destroyed, module unloaded.
    void Close();

    host::flight::FlightModel& model() { return model_; }
    const host::flight::FlightModel& model() const { return model_; }
    Autopilot& pilot() { return pilot_; }
    std::int64_t frames() const { return frames_; }

private:
    host::Runtime& rt_;
    bool write_state_;  // a trace is being written: the vessel's state after each frame
    int vessel_;
    host::flight::FlightModel model_;
    Autopilot pilot_;
    std::int64_t frames_ = 0;
};

}  // namespace vantorel_sim::fly

#endif
