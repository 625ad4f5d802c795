// Stability where the integrator once ran away: wheels pressed into the
// runway, skidding and spinning on the ground, and a fast tumble.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "flight_test_support.h"
#include "fly/flight.h"
#include "fly/pilot_script.h"

namespace {

using flight_test::Aircraft;
using flight_test::Finite;
using host::flight::kRadPerDeg;
using host::Vec3;

// Far above any speed the aircraft reaches on its wheels.
constexpr double kGroundSpeedLimitMps = 150.0;

bool Finite(const vantorel_sim::fly::Sample& s) {
    for (double x : {s.east_m, s.north_m, s.altitude_m, s.airspeed_mps, s.vertical_speed_mps, s.pitch_deg, s.bank_deg,
                     s.heading_deg}) {
        if (!std::isfinite(x)) return false;
    }
    return true;
}

bool StateFinite(const host::flight::FlightModel& m) {
    const auto& s = m.state();
    return Finite(s.position_m) && Finite(s.velocity_mps) && Finite(s.omega_radps);
}

double RotationalEnergy(const Aircraft& a) {
    const auto& p = a.vessel().pmi_m2;
    const Vec3 w = a.model->state().omega_radps;
    return 0.5 * a.model->mass_kg() * (p.x * w.x * w.x + p.y * w.y * w.y + p.z * w.z * w.z);
}

// The fuzzer's script: nose held 25 degrees down on the runway, 40 % throttle,
// the heading hold's full rudder. Without the guards on the rotation step and
// the wheel friction it tumbles to 1093 m/s by 27 s.
TEST(GroundContact, TheNoseDownPilotScriptFliesOnFiniteAndSlow) {
    const std::string path =
        std::string(VANTOREL_SOURCE_DIR) + "/fuzz/regressions/pilot_script/flight_model_diverges_on_the_ground";
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    std::stringstream text;
    text << in.rdbuf();
    const vantorel_sim::fly::PilotScript script = vantorel_sim::fly::ParsePilotScript(text.str(), path);
    vantorel_sim::fly::FlyOptions o;
    o.module_path = std::string(VANTOREL_BUILD_DIR) + "/lib/Vantorel.so";
    o.sound = false;
    o.sample_rate_hz = 60;
    o.time_limit_s = 120;
    vantorel_sim::fly::FlightResult r;
    ASSERT_NO_THROW(r = vantorel_sim::fly::Fly(script, o));
    EXPECT_NEAR(r.summary.flight_time_s, 120, 0.1);
    ASSERT_GT(r.samples.size(), 7000u);
    int on_ground = 0;
    for (const auto& s : r.samples) {
        ASSERT_TRUE(Finite(s)) << "at " << s.time_s << " s";
        if (s.ground_contact) {
            ++on_ground;
            EXPECT_LT(s.airspeed_mps, kGroundSpeedLimitMps) << "at " << s.time_s << " s";
        }
    }
    EXPECT_GT(on_ground, 100) << "the script should keep it on the runway much of the time";
    EXPECT_LT(r.summary.max_airspeed_mps, kGroundSpeedLimitMps);
}

// The same physics without script or autopilot: full nose-down elevator and
// 40 % throttle on the runway, the rudder (the module's steering couple)
// swung from stop to stop.
TEST(GroundContact, NosePressedIntoTheRunwayUnderThrustStaysPlausible) {
    Aircraft a;
    a.model->PlaceOnGround(80 * kRadPerDeg);
    a.model->controls().main_throttle = 0.4;
    a.model->controls().elevator = 1.0;
    double top = 0;
    for (int frame = 0; frame < 60 * 60; ++frame) {
        a.model->controls().rudder = (frame / 90) % 2 == 0 ? 1.0 : -1.0;
        ASSERT_NO_THROW(a.model->RunFrame()) << "frame " << frame;
        ASSERT_TRUE(StateFinite(*a.model)) << "frame " << frame;
        if (a.model->ground_contact()) top = std::max(top, a.model->airspeed_mps());
    }
    EXPECT_LT(top, kGroundSpeedLimitMps);
}

// The autopilot's nose-down hold leaves the nose wheel alone on the runway.
// Side friction there must at most stop the wheel's skid within a step: with
// the body's whole mass behind it, it turned the aircraft so hard that the
// wheel skidded back faster than before, gaining energy every frame.
TEST(GroundContact, SideFrictionStopsANoseWheelSkidWithoutReversingIt) {
    Aircraft a;
    a.model->PlaceOnGround(0);
    auto s = a.model->state();
    const double pitch = 6 * kRadPerDeg;
    s.attitude = host::Quat::FromMatrix(host::Mat3{
        {1, 0, 0}, {0, std::cos(pitch), std::sin(pitch)}, {0, -std::sin(pitch), std::cos(pitch)}});
    s.position_m.y += 0.1;         // main wheels just off the ground
    s.velocity_mps = {0.3, 0, 0};  // sideways, slow enough for friction to stop it in one step
    a.model->SetState(s);
    ASSERT_LT(a.model->touchdown_position_m(0).y, 0.0);
    ASSERT_GT(a.model->touchdown_position_m(1).y, 0.0);
    ASSERT_GT(a.model->touchdown_position_m(2).y, 0.0);
    const auto nose_side_speed = [&] {
        const auto& st = a.model->state();
        const auto& p = a.vessel().touchdown_m[0];
        const Vec3 w = st.attitude.Matrix() * host::Cross(st.omega_radps, Vec3{p.x, p.y, p.z});
        return st.velocity_mps.x + w.x;
    };
    const auto sideways_energy = [&] {
        const auto& pmi = a.vessel().pmi_m2;
        const auto& st = a.model->state();
        const double m = a.model->mass_kg();
        return 0.5 * m * (st.velocity_mps.x * st.velocity_mps.x + st.velocity_mps.z * st.velocity_mps.z) +
               0.5 * m * (pmi.y * st.omega_radps.y * st.omega_radps.y + pmi.z * st.omega_radps.z * st.omega_radps.z);
    };
    const double before = sideways_energy();
    a.model->Substep(1.0 / 60);
    EXPECT_NEAR(nose_side_speed(), 0.0, 1e-3);  // it turned a little in the step
    EXPECT_LE(sideways_energy(), before);
}

// Wheel friction may only take energy out. Without thrust or rudder (whose
// couple does work), random stick and brake inputs on an aircraft that
// skids at a random angle to its wheels never leave it faster or spinning
// with more energy than it started with.
TEST(GroundContact, WithoutThrustFrictionNeverAddsEnergy) {
    std::mt19937_64 random(8);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int trial = 0; trial < 12; ++trial) {
        Aircraft a;
        a.model->PlaceOnGround(0);
        auto s = a.model->state();
        const double speed = 10 + 15 * (1 + unit(random));  // 10..40 m/s
        const double skid = 90 * kRadPerDeg * unit(random);       // between track and nose
        s.velocity_mps = {speed * std::sin(skid), 0, speed * std::cos(skid)};
        // Up to 6 degrees nose down: the nose wheel then carries the load.
        const double pitch = 3 * kRadPerDeg * (1 + unit(random));
        s.attitude = host::Quat::FromMatrix(host::Mat3{
            {1, 0, 0}, {0, std::cos(pitch), std::sin(pitch)}, {0, -std::sin(pitch), std::cos(pitch)}});
        s.omega_radps = {0, 2 * unit(random), 0};
        a.model->SetState(s);
        const double m = a.model->mass_kg();
        const double start_energy = 0.5 * m * speed * speed + RotationalEnergy(a);
        for (int second = 0; second < 10; ++second) {
            a.model->controls().elevator = unit(random);
            a.model->controls().aileron = unit(random);
            a.model->controls().elevator_trim = unit(random);
            a.model->controls().brakes = std::max(0.0, unit(random));
            for (int frame = 0; frame < 60; ++frame) {
                a.model->RunFrame();
                ASSERT_TRUE(StateFinite(*a.model)) << "trial " << trial;
                const double v = a.model->airspeed_mps();
                const double energy = 0.5 * m * v * v + RotationalEnergy(a);
                // A little of the springs' load may come back as motion.
                ASSERT_LE(energy, start_energy * 1.01 + 0.5 * m) << "trial " << trial << ", " << second << " s";
                ASSERT_LE(v, speed + 0.5) << "trial " << trial << ", " << second << " s";
            }
        }
    }
}

// A tumble far above the air: no torque, so the angular momentum keeps its
// size and the rotation its energy. An explicit step lengthens the momentum
// by sqrt(1 + (w h)^2) each substep and, at 20 rad/s, blows up in seconds.
TEST(FreeTumble, KeepsItsAngularMomentumAndEnergy) {
    Aircraft a;
    a.model->PlaceInFlight(200000, 0, 0);
    auto s = a.model->state();
    s.omega_radps = {20, 3, -12};
    a.model->SetState(s);
    const auto& p = a.vessel().pmi_m2;
    const auto momentum = [&] {
        const Vec3 w = a.model->state().omega_radps;
        return std::sqrt(std::pow(p.x * w.x, 2) + std::pow(p.y * w.y, 2) + std::pow(p.z * w.z, 2));
    };
    const double l0 = momentum();
    const double e0 = RotationalEnergy(a);
    for (int i = 0; i < 600; ++i) {
        a.model->Substep(1.0 / 60);
        ASSERT_TRUE(StateFinite(*a.model)) << "substep " << i;
    }
    EXPECT_NEAR(momentum(), l0, 1e-9 * l0);
    EXPECT_LE(RotationalEnergy(a), e0 * 1.05);
    EXPECT_GE(RotationalEnergy(a), e0 * 0.5);
}

}  // namespace
