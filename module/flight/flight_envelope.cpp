#include "lifecycle/vessel_state.h"
#include "flight/step_blocks.h"

namespace vantorel {

namespace {

constexpr double ENVELOPE_AIRSPEED_MPS = 700.0;
constexpr double ENVELOPE_ALTITUDE_M = 17000.0;
constexpr double MAIN_THRUST_INSIDE_N = 440000.0;
constexpr double DRAG_OUTSIDE = 999.0;

void ApplyOutsideEnvelope(const VantorelVessel& vessel) {
    vessel.SetCW(DRAG_OUTSIDE, DRAG_OUTSIDE, DRAG_OUTSIDE, DRAG_OUTSIDE);
    vessel.SetThrusterMax0(shared_state.th_main, 0.0);
}

}  // namespace

// No memory and no hysteresis: every step sets one configuration again. When
// both limits are exceeded the outside pair is sent twice.
void ApplyFlightEnvelope(const VantorelVessel& vessel) {
    if (vessel.GetAirspeed() >= ENVELOPE_AIRSPEED_MPS) ApplyOutsideEnvelope(vessel);
    if (vessel.GetAltitude() >= ENVELOPE_ALTITUDE_M) ApplyOutsideEnvelope(vessel);
    if (vessel.GetAirspeed() < ENVELOPE_AIRSPEED_MPS && vessel.GetAltitude() < ENVELOPE_ALTITUDE_M) {
        vessel.SetCW(0.3, 0.3, 0.67, 0.92);
        vessel.SetThrusterMax0(shared_state.th_main, MAIN_THRUST_INSIDE_N);
    }
}

}  // namespace vantorel
