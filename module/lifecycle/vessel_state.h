// The state the vessel's callbacks keep between calls.
//
// Almost everything is module-wide: one copy per loaded module, shared by
// every vessel of the class, holding its load-time value until the module is
// unloaded. Construction and destruction of a vessel never reset it. The host
// keeps the addresses of gear_drag, canopy_pos and the beacon records, so this
// record has static storage duration and never moves.
#ifndef VANTOREL_MODULE_VESSEL_STATE_H
#define VANTOREL_MODULE_VESSEL_STATE_H

#include <Orbitersdk.h>

namespace vantorel {

// Length of the altimeter's text buffer: room for the longest text the
// formatter writes ("-1.23457e+308" is 13 characters) plus the terminator.
constexpr int ALTITUDE_TEXT_SIZE = 16;

struct ModuleState {
    // Lifecycle and definition.
    MESHHANDLE mesh_exterior = nullptr;
    MESHHANDLE mesh_cockpit = nullptr;
    MESHHANDLE mesh_cockpit_lit = nullptr;
    void (*module_exit_hook)(HINSTANCE) = nullptr;
    int module_version = 0;
    THRUSTER_HANDLE th_main = nullptr;
    BEACONLIGHTSPEC beacon_left = {};
    BEACONLIGHTSPEC beacon_right = {};
    VECTOR3 beacon_left_pos = {-5.327872, -0.325484, -5.451247};
    VECTOR3 beacon_right_pos = {5.327872, -0.325484, -5.451247};
    VECTOR3 beacon_left_col = {0.988, 0.133, 0.133};
    VECTOR3 beacon_right_col = {0.988, 0.133, 0.133};

    // Motion channels: status 0 at rest, 1 toward 1, 2 toward 0.
    int gear_status = 0;
    double gear_pos = 0.0;   // 0 = gear down
    double gear_drag = 0.0;  // 1 - gear_pos, written only while the gear moves
    int gear_lever_status = 0;
    double gear_lever_pos = 0.0;
    int canopy_status = 0;
    double canopy_pos = 0.0;  // 0 = closed; also the canopy drag variable
    int flap_status = 0;
    double flap_pos = 0.0;  // 0 = up

    // Ground handling, engine and lights.
    double wheel_roll_pos = 0.0;
    double nose_steer_pos = 0.0;
    double main_level = 0.0;
    double engine_sound_freq = 0.0;
    double lights_on = 0.0;       // exactly 0.0 or 1.0
    double lights_changed = 0.0;  // exactly 0.0 or 1.0

    // Instruments, fuel and eye point.
    double altitude = 0.0;
    char altitude_text[ALTITUDE_TEXT_SIZE] = {};
    double alt_has_tens = 0.0;
    double alt_has_hundreds = 0.0;
    double alt_has_thousands = 0.0;
    double alt_has_ten_thousands = 0.0;
    double alt_units_drum_pos = 0.0;
    double alt_tens_drum_pos = 0.0;
    double alt_hundreds_drum_pos = 0.0;
    double alt_thousands_drum_pos = 0.0;
    double alt_ten_thousands_drum_pos = 0.0;
    double alt_needle_pos = 0.0;
    double alt_needle_turns = 0.0;
    double aoa = 0.0;
    double aoa_needle_pos = 0.0;
    double focus_heading = 0.0;
    double heading_card_pos = 0.0;
    double airspeed_clamped = 0.0;
    double airspeed_needle_pos = 0.0;
    double bank = 0.0;
    double bank_needle_pos = 0.0;
    double clock_fast_pos = 0.0;
    double clock_mid_pos = 0.0;
    double clock_slow_pos = 0.0;
    double fuel_needle_pos = 0.0;
    double refuel_request = 0.0;  // exactly 0.0 or 1.0
    double eye_aoa_offset = 0.0;
};

// The one module-wide copy.
extern ModuleState shared_state;

}  // namespace vantorel

#endif
