#include "lifecycle/vessel_state.h"
#include "flight/step_blocks.h"

namespace vantorel {

namespace {

constexpr double AOA_NEEDLE_GAIN = 6.0;
constexpr double HEADING_CARD_GAIN = 0.16;
constexpr double HEADING_CARD_OFFSET = 0.001;
constexpr double AIRSPEED_FULL_SCALE_MPS = 600.0;
constexpr double BANK_HALF_SCALE_RAD = 3.0;

double ClampUnit(double x) {
    if (x < 0.0) return 0.0;
    if (x > 1.0) return 1.0;
    return x;
}

// Angle-of-attack needle, heading card, airspeed needle and bank indicator.
void UpdateFlightIndicators(const VantorelVessel& vessel, double v) {
    ModuleState& s = shared_state;

    s.aoa = vessel.GetAOA();
    s.aoa_needle_pos = v > MIN_MOVING_AIRSPEED ? s.aoa * AOA_NEEDLE_GAIN : 0.0;
    vessel.SetAnimation(vessel.anim_aoa_needle, s.aoa_needle_pos);

    // The heading of the focus vessel, not necessarily this one; without an
    // answer the card keeps the last heading.
    oapiGetFocusHeading(&s.focus_heading);
    s.heading_card_pos = s.focus_heading * HEADING_CARD_GAIN + HEADING_CARD_OFFSET;
    vessel.SetAnimation(vessel.anim_heading_card, s.heading_card_pos);

    s.airspeed_clamped = vessel.GetAirspeed();
    if (s.airspeed_clamped > AIRSPEED_FULL_SCALE_MPS)
        s.airspeed_clamped = AIRSPEED_FULL_SCALE_MPS;
    else if (s.airspeed_clamped < 0.0)
        s.airspeed_clamped = 0.0;
    s.airspeed_needle_pos =
        ClampUnit((AIRSPEED_FULL_SCALE_MPS - s.airspeed_clamped) * (1.0 / AIRSPEED_FULL_SCALE_MPS));
    vessel.SetAnimation(vessel.anim_airspeed_needle, s.airspeed_needle_pos);

    s.bank = vessel.GetBank();
    s.bank_needle_pos = ClampUnit((s.bank + BANK_HALF_SCALE_RAD) * (1.0 / (2.0 * BANK_HALF_SCALE_RAD)));
    vessel.SetAnimation(vessel.anim_bank_needle, s.bank_needle_pos);
}

}  // namespace

void UpdateIndicatorsAndClock(const VantorelVessel& vessel, double v) {
    UpdateFlightIndicators(vessel, v);
    UpdateClock(vessel);
}

}  // namespace vantorel
