// The flight's record: telemetry rows at the asked rate, the engine sound the
// module requested, and the summary's closing figures.
#ifndef VANTOREL_SIM_FLY_TELEMETRY_H
#define VANTOREL_SIM_FLY_TELEMETRY_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "flightmodel/flight_model.h"
#include "fly/flight.h"
#include "runtime/host_runtime.h"
#include "runtime/sound_requests.h"

namespace vantorel_sim::fly {

// The module's latest engine-sound request, as the sound library receives it;
// subscribed while alive, when asked to watch.
class EngineSoundWatch {
public:
    explicit EngineSoundWatch(bool watch);
    ~EngineSoundWatch();
    EngineSoundWatch(const EngineSoundWatch&) = delete;
    EngineSoundWatch& operator=(const EngineSoundWatch&) = delete;

    double frequency_hz() const { return frequency_hz_; }
    int volume() const { return volume_; }

private:
    void Take(const host::SoundRequest& r);

    bool on_;
    double frequency_hz_ = 0;
    int volume_ = 0;
};

// One row of the aircraft as it is now.
Sample TakeSample(const host::flight::FlightModel& model, const host::Runtime& rt, const EngineSoundWatch& sound);

// Rows at rate_hz of simulated time: the first at the start, one after each
// frame that reaches the next row's time, and the last frame's. Each row goes
// to out (when not null) and to on_sample (when set).
class Telemetry {
public:
    Telemetry(const host::flight::FlightModel& model, const host::Runtime& rt, const EngineSoundWatch& sound,
              double rate_hz, std::vector<Sample>* out, std::function<void(const Sample&)> on_sample);
    void AfterFrame();
    void Finish();

private:
    void Take();

    const host::flight::FlightModel& model_;
    const host::Runtime& rt_;
    const EngineSoundWatch& sound_;
    double rate_hz_;
    std::vector<Sample>* out_;
    std::function<void(const Sample&)> on_sample_;
    std::int64_t last_frame_ = -1;
    double next_s_;
};

// What only the end knows: time, frames, why it ended, the fuel left and used.
void CloseSummary(FlightSummary& s, const host::flight::FlightModel& model, const std::string& end_reason);

}  // namespace vantorel_sim::fly

#endif
