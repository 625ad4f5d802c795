// The built-in demonstration flight, judged from its telemetry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "fly/flight.h"
#include "fly/fly_command.h"
#include "fly/report.h"
#include "runtime/sound_requests.h"
#include "runtime/trace.h"

namespace {

using namespace vantorel_sim::fly;

FlyOptions Options() {
    FlyOptions o;
    o.module_path = std::string(VANTOREL_BUILD_DIR) + "/lib/Vantorel.so";
    o.sound_path = std::string(VANTOREL_BUILD_DIR) + "/lib/OrbiterSound.dll";
    o.sample_rate_hz = 10;
    return o;
}

const FlightResult& Demo() {
    static const FlightResult r = FlyBuiltinFlight(Options());
    return r;
}

// Time of the first sample at or after `from` that satisfies pred; -1 if none.
double First(const std::vector<Sample>& s, double from, const std::function<bool(const Sample&)>& pred) {
    for (const Sample& x : s) {
        if (x.time_s >= from && pred(x)) return x.time_s;
    }
    return -1;
}

TEST(BuiltinFlight, ReachesItsMilestonesInOrder) {
    const auto& s = Demo().samples;
    ASSERT_GT(s.size(), 100u);
    const double refilled = First(s, 0, [](const Sample& x) { return x.fuel_kg >= 19999.0; });
    const double rolling = First(s, 0, [](const Sample& x) { return x.airspeed_mps > 1 && x.ground_contact; });
    const double airborne = First(s, rolling, [](const Sample& x) { return !x.ground_contact && x.altitude_m > 10; });
    const double gear_up = First(s, airborne, [](const Sample& x) { return x.gear >= 1.0; });
    const double ceiling = First(s, gear_up, [](const Sample& x) { return x.altitude_m >= 17000; });
    const double exit = First(s, gear_up, [](const Sample& x) { return !x.inside_envelope; });
    const double reentry = First(s, exit, [](const Sample& x) { return x.inside_envelope; });
    const double gear_down = First(s, reentry, [](const Sample& x) { return x.gear <= 0.0; });
    const double touchdown = First(s, gear_down, [](const Sample& x) { return x.ground_contact; });
    for (double t : {refilled, rolling, airborne, gear_up, ceiling, exit, reentry, gear_down, touchdown}) ASSERT_GE(t, 0);
    EXPECT_LT(refilled, rolling);
    EXPECT_LT(rolling, airborne);
    EXPECT_LT(airborne, gear_up);
    EXPECT_LT(gear_up, ceiling);
    EXPECT_LE(ceiling, exit + 0.2);
    EXPECT_LT(exit, reentry);
    EXPECT_LT(reentry, gear_down);
    EXPECT_LT(gear_down, touchdown);

    // Outside the envelope the engine gives nothing (from the frame after the cut).
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (!s[i - 1].inside_envelope && !s[i].inside_envelope) {
            EXPECT_EQ(s[i].thrust_n, 0.0) << s[i].time_s;
        }
    }
    // It ends at rest on its gear with the canopy open.
    const Sample& last = s.back();
    EXPECT_TRUE(last.ground_contact);
    EXPECT_EQ(last.airspeed_mps, 0.0);
    EXPECT_EQ(last.gear, 0.0);
    EXPECT_EQ(last.canopy, 1.0);
}

TEST(BuiltinFlight, SummaryAgreesWithTheTelemetry) {
    const FlightResult& r = Demo();
    const FlightSummary& m = r.summary;
    EXPECT_TRUE(m.took_off);
    EXPECT_TRUE(m.landed);
    EXPECT_TRUE(m.stopped);
    double max_alt = 0;
    for (const Sample& x : r.samples) max_alt = std::max(max_alt, x.altitude_m);
    EXPECT_GE(m.max_altitude_m, max_alt);
    EXPECT_LT(m.max_altitude_m, max_alt + 50);
    EXPECT_GE(m.envelope_exits.size(), 1u);
    EXPECT_EQ(m.envelope_exits.front().reason, "altitude");
    EXPECT_EQ(m.gear_up_cycles, 1);
    EXPECT_EQ(m.gear_down_cycles, 1);
    EXPECT_EQ(m.canopy_open_cycles, 2);
    EXPECT_EQ(m.canopy_close_cycles, 1);
    EXPECT_NEAR(m.fuel_refilled_kg, 8000, 1);
    EXPECT_NEAR(m.fuel_used_kg, m.fuel_start_kg + m.fuel_refilled_kg - r.samples.back().fuel_kg, 1e-6);
    EXPECT_GT(m.fuel_used_kg, 0);
}

TEST(BuiltinFlight, MilestonesFollowTheFlight) {
    std::vector<std::string> kinds;
    for (const Milestone& m : Demo().milestones) kinds.push_back(m.kind);
    const std::vector<std::string> expected = {"lights-on", "refill", "canopy-open", "canopy-closed", "flaps-down",
                                               "full-throttle", "nose-wheel-steering", "rotation", "lift-off",
                                               "gear-up", "envelope-exit", "envelope-reentry", "gear-down",
                                               "touchdown", "stopped", "canopy-open"};
    std::size_t at = 0;
    for (const std::string& k : kinds) {
        if (at < expected.size() && k == expected[at]) ++at;
    }
    EXPECT_EQ(at, expected.size()) << "stuck before " << (at < expected.size() ? expected[at] : "");
}

// The engine sound comes from the sound library's requests, not from the call
// trace: watching it leaves the recorder off, and nothing stays subscribed.
TEST(EngineSound, IsWatchedWithTheRecorderOff) {
    FlyOptions o = Options();
    o.watch_sound = true;
    o.sample_rate_hz = 5;
    bool recorder_on = false;
    int looked = 0;
    o.on_milestone = [&](const Milestone&) {
        ++looked;
        recorder_on = recorder_on || host::trace::enabled();
    };
    const FlightResult r =
        Fly(ParsePilotScript("0 note looking\n0 throttle 50%\n3 throttle 0\n+0 note looking\n+1 end\n", "sound.fly"), o);
    EXPECT_GE(looked, 2);
    EXPECT_FALSE(recorder_on);
    EXPECT_FALSE(host::sound_observed()) << "the observer outlived the flight";
    double loudest_hz = 0;
    for (const Sample& s : r.samples) {
        if (s.time_s > 0.5 && s.time_s < 2.9) {
            EXPECT_GT(s.engine_sound_volume, 0) << s.time_s;
        }
        loudest_hz = std::max(loudest_hz, s.engine_sound_hz);
    }
    EXPECT_GE(loudest_hz, 16000.0) << "engine sound at half thrust: 13000 + 0.5 x 6000 Hz";
}

// Without a trace file and without watching, telemetry keeps no sound.
TEST(EngineSound, IsZeroWhenNotWatched) {
    FlyOptions o = Options();
    o.watch_sound = false;
    const FlightResult r = Fly(ParsePilotScript("0 throttle 50%\n+2 end\n", "quiet.fly"), o);
    for (const Sample& s : r.samples) {
        EXPECT_EQ(s.engine_sound_hz, 0.0);
        EXPECT_EQ(s.engine_sound_volume, 0);
    }
}

// A trace file gets every call, and the recorder is off again afterwards.
TEST(FlyTrace, RecordsTheModulesCallsAndStopsAfterTheFlight) {
    const std::string path = "fly-trace.jsonl";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    FlyOptions o = Options();
    o.trace = file;
    o.watch_sound = true;
    const FlightResult r = Fly(ParsePilotScript("0 throttle 50%\n+1 end\n", "traced.fly"), o);
    EXPECT_FALSE(host::trace::enabled());
    EXPECT_FALSE(host::sound_observed());
    ASSERT_EQ(std::fclose(file), 0);
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("\"PlayVesselWaveOBSound3\""), std::string::npos);
    EXPECT_NE(text.str().find("\"clbkPostStep\""), std::string::npos);
    EXPECT_GT(r.samples.back().engine_sound_hz, 0.0) << "watching works with the recorder on as well";
}

TEST(FlyCommand, ABadScriptStopsBeforeAnythingFlies) {
    const std::string script = "bad-script.fly", csv = "bad-script.csv";
    std::ofstream(script) << "0 throttle 1\n5 key Q\n";
    std::remove(csv.c_str());
    std::vector<std::string> args = {"fly", script, "--csv", csv, "-q"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    EXPECT_EQ(vantorel_sim::RunFlyCommand(static_cast<int>(argv.size()), argv.data()), 2);
    EXPECT_FALSE(std::ifstream(csv).good());
}

TEST(FlyCommand, WritesTelemetryWithUnitsInTheColumnNames) {
    const std::string script = "short.fly", csv = "short.csv", svg = "short.svg";
    std::ofstream(script) << "0 key K\n1 throttle 20%\n4 throttle 0\n+1 brakes on\n";
    std::vector<std::string> args = {"fly", script, "--csv", csv, "--csv-rate", "5", "--svg", svg, "-q"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    ASSERT_EQ(vantorel_sim::RunFlyCommand(static_cast<int>(argv.size()), argv.data()), 0);
    std::ifstream in(csv);
    std::string header, row;
    std::getline(in, header);
    for (const char* col : {"time_s", "altitude_m", "airspeed_mps", "aoa_deg", "fuel_kg", "thrust_n", "gear_pos",
                            "engine_sound_hz", "ground_contact"}) {
        EXPECT_NE(header.find(col), std::string::npos) << col;
    }
    int rows = 0;
    double sound = 0;
    while (std::getline(in, row)) {
        ++rows;
        sound = std::max(sound, std::stod(row.substr(row.rfind(',', row.rfind(',') - 1) + 1)));
    }
    EXPECT_GT(rows, 20);
    EXPECT_GE(sound, 14200.0) << "engine sound at 20 % thrust: 13000 + 0.2 x 6000 Hz";
    std::ifstream plot(svg);
    std::stringstream text;
    text << plot.rdbuf();
    EXPECT_NE(text.str().find("<svg"), std::string::npos);
    EXPECT_NE(text.str().find("</svg>"), std::string::npos);
}

}  // namespace
