#include "fly/report.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace vantorel_sim::fly {

namespace {

std::string Num(double v, int digits) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", digits, v);
    return buf;
}

std::string Clock(double t) {
    if (t < 60) return Num(t, 1) + " s";
    const int whole = static_cast<int>(t);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d:%02d", whole / 60, whole % 60);
    return buf;
}

}  // namespace

std::string MilestoneLine(const Milestone& m) {
    std::string t = Clock(m.time_s);
    if (t.size() < 8) t.insert(0, 8 - t.size(), ' ');
    return t + "  " + m.text;
}

void WriteSummary(std::ostream& out, const FlightResult& r) {
    const FlightSummary& s = r.summary;
    out << "Flight summary (" << s.source << ")\n";
    out << "  flight time        " << Clock(s.flight_time_s) << " (" << Num(s.flight_time_s, 1) << " s, " << s.frames
        << " frames); ended: " << s.end_reason << "\n";
    if (s.took_off) {
        out << "  take-off           at " << Clock(s.takeoff_time_s) << ", " << Num(s.takeoff_speed_mps, 0)
            << " m/s after a roll of " << Num(s.takeoff_roll_m, 0) << " m\n";
    } else {
        out << "  take-off           none\n";
    }
    if (s.landed) {
        out << "  landing            at " << Clock(s.landing_time_s) << ", " << Num(s.landing_speed_mps, 0)
            << " m/s, sinking " << Num(s.landing_sink_mps, 1) << " m/s; ";
        if (s.stopped) {
            out << "stopped after a roll of " << Num(s.landing_roll_m, 0) << " m\n";
        } else {
            out << "still rolling at the end\n";
        }
    } else {
        out << "  landing            " << (s.took_off ? "none (still airborne at the end)" : "none") << "\n";
    }
    out << "  maximum altitude   " << Num(s.max_altitude_m, 0) << " m\n";
    out << "  maximum airspeed   " << Num(s.max_airspeed_mps, 0) << " m/s (Mach " << Num(s.max_mach, 2) << ")\n";
    out << "  distance flown     " << Num(s.distance_m / 1000, 1) << " km over the ground\n";
    out << "  fuel               " << Num(s.fuel_start_kg, 0) << " kg at the start";
    if (s.fuel_refilled_kg > 0) out << ", " << Num(s.fuel_refilled_kg, 0) << " kg refilled";
    out << ", " << Num(s.fuel_used_kg, 0) << " kg used, " << Num(s.fuel_end_kg, 0) << " kg left\n";
    out << "  envelope exits     " << s.envelope_exits.size() << "\n";
    for (const EnvelopeExit& e : s.envelope_exits) {
        out << "    at " << Clock(e.time_s) << " (" << e.reason << "): " << Num(e.altitude_m, 0) << " m, "
            << Num(e.airspeed_mps, 0) << " m/s; outside for " << Num(e.duration_s, 1) << " s\n";
    }
    out << "  gear               " << s.gear_up_cycles << " retraction(s), " << s.gear_down_cycles << " extension(s)\n";
    out << "  flaps              " << s.flap_down_cycles << " lowered, " << s.flap_up_cycles << " raised\n";
    out << "  canopy             " << s.canopy_open_cycles << " opened, " << s.canopy_close_cycles << " closed\n";
}

void WriteCsv(std::ostream& out, const std::vector<Sample>& samples) {
    out << "time_s,frame,east_m,north_m,altitude_m,airspeed_mps,vertical_speed_mps,mach,aoa_deg,pitch_deg,bank_deg,"
           "heading_deg,throttle,thrust_level,thrust_n,max_thrust_n,fuel_kg,mass_kg,gear_pos,flap_pos,canopy_pos,"
           "throttle_lever_pos,elevator_level,aileron_level,rudder_level,brakes_level,ground_contact,inside_envelope,"
           "lights_on,time_acceleration,engine_sound_hz,engine_sound_volume\n";
    for (const Sample& s : samples) {
        out << Num(s.time_s, 3) << ',' << s.frame << ',' << Num(s.east_m, 2) << ',' << Num(s.north_m, 2) << ','
            << Num(s.altitude_m, 2) << ',' << Num(s.airspeed_mps, 3) << ',' << Num(s.vertical_speed_mps, 3) << ','
            << Num(s.mach, 4) << ',' << Num(s.aoa_deg, 3) << ',' << Num(s.pitch_deg, 3) << ',' << Num(s.bank_deg, 3)
            << ',' << Num(s.heading_deg, 3) << ',' << Num(s.throttle, 4) << ',' << Num(s.thrust_level, 4) << ','
            << Num(s.thrust_n, 1) << ',' << Num(s.max_thrust_n, 1) << ',' << Num(s.fuel_kg, 3) << ','
            << Num(s.mass_kg, 3) << ',' << Num(s.gear, 5) << ',' << Num(s.flaps, 5) << ',' << Num(s.canopy, 5) << ','
            << Num(s.throttle_lever, 4) << ',' << Num(s.elevator, 4) << ',' << Num(s.aileron, 4) << ','
            << Num(s.rudder, 4) << ',' << Num(s.brakes, 2) << ',' << (s.ground_contact ? 1 : 0) << ','
            << (s.inside_envelope ? 1 : 0) << ',' << (s.lights ? 1 : 0) << ',' << Num(s.time_acceleration, 2) << ','
            << Num(s.engine_sound_hz, 0) << ',' << s.engine_sound_volume << '\n';
    }
}

}  // namespace vantorel_sim::fly
