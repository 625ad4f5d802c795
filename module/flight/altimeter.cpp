#include "lifecycle/vessel_state.h"
#include "flight/altitude_text.h"
#include "flight/step_blocks.h"

namespace vantorel {

namespace {

constexpr double DRUM_STEP = 0.1;  // a drum at d * 0.1 shows digit d

double DrumAt(double position) {
    return AltitudeTextDigit(shared_state.altitude_text, static_cast<int>(position)) * DRUM_STEP;
}

// The drums read characters of the altitude text. Each position comes from
// the digit-count flags as the previous step left them, because the lower
// drums are read before the higher flags are set: when the altitude gains or
// loses a digit the drums are one step out of date.
void ReadDrums() {
    ModuleState& s = shared_state;
    const double alt = s.altitude;
    if (alt >= 0.0)
        s.alt_units_drum_pos =
            DrumAt(s.alt_has_tens + s.alt_has_hundreds + s.alt_has_thousands + s.alt_has_ten_thousands);
    if (alt >= 10.0) {
        s.alt_tens_drum_pos = DrumAt(s.alt_has_hundreds + s.alt_has_thousands + s.alt_has_ten_thousands);
        s.alt_has_tens = 1.0;
    }
    if (alt >= 100.0) {
        s.alt_hundreds_drum_pos = DrumAt(s.alt_has_thousands + s.alt_has_ten_thousands);
        s.alt_has_hundreds = 1.0;
    }
    if (alt >= 1000.0) {
        s.alt_thousands_drum_pos = DrumAt(s.alt_has_ten_thousands);
        s.alt_has_thousands = 1.0;
    }
    if (alt >= 10000.0) {
        s.alt_ten_thousands_drum_pos = DrumAt(0.0);
        s.alt_has_ten_thousands = 1.0;
    }
}

// Clears the flags and drums of the digits the altitude does not have. The
// units drum is never cleared: below 0 m it keeps its last state.
void ClearDrumsAboveAltitude() {
    ModuleState& s = shared_state;
    const double alt = s.altitude;
    if (alt < 10.0) {
        s.alt_has_tens = 0.0;
        s.alt_tens_drum_pos = 0.0;
    }
    if (alt < 100.0) {
        s.alt_has_hundreds = 0.0;
        s.alt_hundreds_drum_pos = 0.0;
    }
    if (alt < 1000.0) {
        s.alt_has_thousands = 0.0;
        s.alt_thousands_drum_pos = 0.0;
    }
    if (alt < 10000.0) {
        s.alt_has_ten_thousands = 0.0;
        s.alt_ten_thousands_drum_pos = 0.0;
    }
}

// One needle turn per 100 m. The turn count follows a jump by at most one per
// step, so during a catch-up the needle state lies outside 0..1.
void MoveNeedle() {
    ModuleState& s = shared_state;
    s.alt_needle_pos = s.altitude * 0.01 - s.alt_needle_turns;
    if (s.alt_needle_pos >= 1.0) s.alt_needle_turns += 1.0;
    if (s.alt_needle_pos <= 0.0) {
        s.alt_needle_turns -= 1.0;
        if (s.alt_needle_turns < 0.0) s.alt_needle_turns = 0.0;
    }
}

}  // namespace

void UpdateAltimeter(const VantorelVessel& vessel) {
    ModuleState& s = shared_state;
    s.altitude = vessel.GetAltitude();
    FormatAltitudeText(s.altitude, s.altitude_text, sizeof s.altitude_text);
    ReadDrums();
    ClearDrumsAboveAltitude();
    MoveNeedle();
    vessel.SetAnimation(vessel.anim_alt_needle, s.alt_needle_pos);
    vessel.SetAnimation(vessel.anim_alt_units_drum, s.alt_units_drum_pos);
    vessel.SetAnimation(vessel.anim_alt_tens_drum, s.alt_tens_drum_pos);
    vessel.SetAnimation(vessel.anim_alt_hundreds_drum, s.alt_hundreds_drum_pos);
    vessel.SetAnimation(vessel.anim_alt_thousands_drum, s.alt_thousands_drum_pos);
    vessel.SetAnimation(vessel.anim_alt_ten_thousands_drum, s.alt_ten_thousands_drum_pos);
}

}  // namespace vantorel
