#include "fly/report.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "common/text_escape.h"
#include "fly/clock_text.h"

namespace vantorel_sim::fly {

namespace {

// Fixed notation in full: a diverged flight can reach values with hundreds
// of digits, which a fixed buffer would cut short.
std::string Num(double v, int digits) {
    char buf[64];
    const int n = std::snprintf(buf, sizeof buf, "%.*f", digits, v);
    if (n >= 0 && static_cast<std::size_t>(n) < sizeof buf) return buf;
    std::string big(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), "%.*f", digits, v);
    big.resize(static_cast<std::size_t>(n));
    return big;
}

}  // namespace

std::string MilestoneLine(const Milestone& m) {
    std::string t = ClockText(m.time_s);
    if (t.size() < 8) t.insert(0, 8 - t.size(), ' ');
    return t + "  " + MessageSafe(m.text);
}

void WriteSummary(std::ostream& out, const FlightResult& r) {
    const FlightSummary& s = r.summary;
    out << "Flight summary (" << MessageSafe(s.source) << ")\n";
    out << "  flight time        " << ClockText(s.flight_time_s) << " (" << Num(s.flight_time_s, 1) << " s, " << s.frames
        << " frames); ended: " << s.end_reason << "\n";
    if (s.took_off) {
        out << "  take-off           at " << ClockText(s.takeoff_time_s) << ", " << Num(s.takeoff_speed_mps, 0)
            << " m/s after a roll of " << Num(s.takeoff_roll_m, 0) << " m\n";
    } else {
        out << "  take-off           none\n";
    }
    if (s.landed) {
        out << "  landing            at " << ClockText(s.landing_time_s) << ", " << Num(s.landing_speed_mps, 0)
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
        out << "    at " << ClockText(e.time_s) << " (" << e.reason << "): " << Num(e.altitude_m, 0) << " m, "
            << Num(e.airspeed_mps, 0) << " m/s; outside for " << Num(e.duration_s, 1) << " s\n";
    }
    out << "  gear               " << s.gear_up_cycles << " retraction(s), " << s.gear_down_cycles << " extension(s)\n";
    out << "  flaps              " << s.flap_down_cycles << " lowered, " << s.flap_up_cycles << " raised\n";
    out << "  canopy             " << s.canopy_open_cycles << " opened, " << s.canopy_close_cycles << " closed\n";
}

std::string CsvHeader() {
    return "time_s,frame,east_m,north_m,altitude_m,airspeed_mps,vertical_speed_mps,mach,aoa_deg,pitch_deg,bank_deg,"
           "heading_deg,throttle,thrust_level,thrust_n,max_thrust_n,fuel_kg,mass_kg,gear_pos,flap_pos,canopy_pos,"
           "throttle_lever_pos,elevator_level,aileron_level,rudder_level,brakes_level,ground_contact,inside_envelope,"
           "lights_on,time_acceleration,engine_sound_hz,engine_sound_volume\n";
}

// A CSV row is written for every sample kept: format in place with
// to_chars, which gives the same digits as "%.*f" without printf's cost.
std::string CsvRow(const Sample& s) {
    std::string row;
    row.reserve(256);
    auto add = [&row](double v, int digits) {
        char buf[64];
        const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, digits);
        if (r.ec == std::errc()) {
            row.append(buf, r.ptr);
        } else {
            row += Num(v, digits);  // too long for the buffer
        }
        row += ',';
    };
    auto add_text = [&row](const char* field) {
        row += field;
        row += ',';
    };
    add(s.time_s, 3);
    row += std::to_string(s.frame);
    row += ',';
    for (double v : {s.east_m, s.north_m, s.altitude_m}) add(v, 2);
    for (double v : {s.airspeed_mps, s.vertical_speed_mps}) add(v, 3);
    add(s.mach, 4);
    for (double v : {s.aoa_deg, s.pitch_deg, s.bank_deg, s.heading_deg}) add(v, 3);
    for (double v : {s.throttle, s.thrust_level}) add(v, 4);
    for (double v : {s.thrust_n, s.max_thrust_n}) add(v, 1);
    for (double v : {s.fuel_kg, s.mass_kg}) add(v, 3);
    for (double v : {s.gear, s.flaps, s.canopy}) add(v, 5);
    for (double v : {s.throttle_lever, s.elevator, s.aileron, s.rudder}) add(v, 4);
    add(s.brakes, 2);
    for (bool b : {s.ground_contact, s.inside_envelope, s.lights}) add_text(b ? "1" : "0");
    add(s.time_acceleration, 2);
    add(s.engine_sound_hz, 0);
    row += std::to_string(s.engine_sound_volume);
    row += '\n';
    return row;
}

void WriteCsv(std::ostream& out, const std::vector<Sample>& samples) {
    out << CsvHeader();
    for (const Sample& s : samples) out << CsvRow(s);
}

}  // namespace vantorel_sim::fly
