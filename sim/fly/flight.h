// Flying a pilot script: the stand-in host with its flight model, the module,
// the autopilot, milestone detection, telemetry and the flight's summary.
#ifndef VANTOREL_SIM_FLY_FLIGHT_H
#define VANTOREL_SIM_FLY_FLIGHT_H

#include <cstdint>
#include <array>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "fly/pilot_script.h"

namespace vantorel_sim::fly {

// One telemetry row.
struct Sample {
    double time_s = 0;
    std::int64_t frame = 0;
    double east_m = 0, north_m = 0, altitude_m = 0;
    double airspeed_mps = 0, vertical_speed_mps = 0, mach = 0;
    double aoa_deg = 0, pitch_deg = 0, bank_deg = 0, heading_deg = 0;
    double throttle = 0;        // the main-engine control
    double thrust_level = 0;    // what the thruster reports
    double thrust_n = 0;
    double max_thrust_n = 0;    // in force (the envelope sets it)
    double fuel_kg = 0, mass_kg = 0;
    double gear = 0;            // 0 down, 1 up
    double flaps = 0;           // 0 up, 1 down
    double canopy = 0;          // 0 closed, 1 open
    double throttle_lever = 0;  // cockpit lever animation
    double elevator = 0, aileron = 0, rudder = 0, brakes = 0;  // surface levels / brake level
    bool ground_contact = false;
    bool inside_envelope = true;
    bool lights = false;
    double time_acceleration = 1;
    double engine_sound_hz = 0;   // last engine play request, 0 after a stop request
    int engine_sound_volume = 0;
    // The exterior's animation states (kExteriorAnimations' order), which the
    // flight page poses the aircraft with; not in the CSV.
    std::array<double, 9> exterior_states{};
};

struct Milestone {
    double time_s = 0;
    std::int64_t frame = 0;
    std::string kind;  // short id: "lift-off", "gear-up", "envelope-exit", ...
    std::string text;  // one line for a person
};

struct EnvelopeExit {
    double time_s = 0, altitude_m = 0, airspeed_mps = 0;
    double duration_s = 0;  // until back inside (or the end)
    std::string reason;     // "altitude" or "airspeed"
};

struct FlightSummary {
    std::string source;
    double flight_time_s = 0;
    std::int64_t frames = 0;
    std::string end_reason;
    bool took_off = false, landed = false, stopped = false;
    double takeoff_time_s = 0, takeoff_roll_m = 0, takeoff_speed_mps = 0;
    double landing_time_s = 0, landing_roll_m = 0, landing_speed_mps = 0, landing_sink_mps = 0;
    double max_altitude_m = 0, max_airspeed_mps = 0, max_mach = 0;
    double fuel_start_kg = 0, fuel_end_kg = 0, fuel_used_kg = 0, fuel_refilled_kg = 0;
    double distance_m = 0;  // over the ground
    std::vector<EnvelopeExit> envelope_exits;
    int gear_up_cycles = 0, gear_down_cycles = 0;
    int canopy_open_cycles = 0, canopy_close_cycles = 0;
    int flap_down_cycles = 0, flap_up_cycles = 0;
};

struct FlightResult {
    std::vector<Sample> samples;  // when FlyOptions::keep_samples
    std::vector<Milestone> milestones;
    FlightSummary summary;
};

struct FlyOptions {
    std::string module_path;  // default: the module built with the runner
    std::string sound_path;
    bool sound = true;
    std::FILE* trace = nullptr;       // call trace as replay writes it
    double sample_rate_hz = 10;       // telemetry rows per simulated second (0: first and last only)
    // Rows kept in FlightResult::samples; a long flight grows by each row,
    // so a tool that writes rows as they come turns this off.
    bool keep_samples = true;
    // Each row as it is taken (also when not kept).
    std::function<void(const Sample&)> on_sample;
    bool watch_sound = false;         // keep the engine-sound requests in the telemetry
    double time_limit_s = 4 * 3600;   // simulated
    std::function<void(const Milestone&)> on_milestone;
    // Now and then: simulated time and the fraction of script lines done.
    std::function<void(double time_s, double done)> on_progress;
};

// Flies a script; host errors (module not loadable) throw host::HostError.
FlightResult Fly(const PilotScript& script, const FlyOptions& options = {});

// The built-in demonstration flight: its script, and the flight itself.
const char* BuiltinFlightText();
PilotScript BuiltinFlight();
FlightResult FlyBuiltinFlight(const FlyOptions& options = {});

}  // namespace vantorel_sim::fly

#endif
