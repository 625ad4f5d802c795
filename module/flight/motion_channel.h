// A motion channel: a position between 0 and 1 and a status that says whether
// and which way it moves. Keys only write statuses; the step moves positions.
#ifndef VANTOREL_FLIGHT_MOTION_CHANNEL_H
#define VANTOREL_FLIGHT_MOTION_CHANNEL_H

namespace vantorel {

constexpr int CHANNEL_AT_REST = 0;
constexpr int CHANNEL_TOWARD_ONE = 1;
constexpr int CHANNEL_TOWARD_ZERO = 2;

// Change per step of each channel.
constexpr double GEAR_RATE = 0.00242;
constexpr double GEAR_LEVER_RATE = 0.00242;
constexpr double CANOPY_RATE = 0.003;
constexpr double FLAP_RATE = 0.006;

// Moves the position one step as its status says. Returns false (and changes
// nothing) at rest. The clamp happens only when the position passes an end;
// then the status returns to rest. Any status other than 0 and 1 moves toward 0.
inline bool AdvanceChannel(int& status, double& pos, double rate) {
    if (status == CHANNEL_AT_REST) return false;
    if (status == CHANNEL_TOWARD_ONE) {
        pos += rate;
        if (pos > 1.0) {
            pos = 1.0;
            status = CHANNEL_AT_REST;
        }
    } else {
        pos -= rate;
        if (pos < 0.0) {
            pos = 0.0;
            status = CHANNEL_AT_REST;
        }
    }
    return true;
}

// The key rule: a part in its upper half moves toward 0, any other toward 1.
// Only the position counts, never the current status.
inline int ToggleDirection(double pos) { return pos > 0.5 ? CHANNEL_TOWARD_ZERO : CHANNEL_TOWARD_ONE; }

}  // namespace vantorel

#endif
