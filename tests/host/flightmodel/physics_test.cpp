// The flight model in the air, each against a law with a closed-form answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "flight_test_support.h"
#include "fly/autopilot.h"

namespace {

using flight_test::Aircraft;
using host::flight::kRadPerDeg;

TEST(FreeFall, GainsNineEightyOneMetresPerSecondEverySecond) {
    Aircraft a;
    // So high that even the envelope's drag coefficients of 999 barely matter.
    a.model->PlaceInFlight(80000, 0, 0);
    const double y0 = a.model->altitude_m();
    for (int second = 1; second <= 3; ++second) {
        a.Fly(1.0);
        EXPECT_NEAR(a.model->vertical_speed_mps(), -9.81 * second, 0.005) << "after " << second << " s";
    }
    EXPECT_EQ(a.vessel().cw[0], 999.0) << "the envelope should be in force up there";
    // Semi-implicit Euler runs half a step ahead: 0.5 g t h.
    EXPECT_NEAR(y0 - a.model->altitude_m(), 0.5 * 9.81 * 9.0, 0.5 * 9.81 * 3.0 / 60 + 0.01);
    EXPECT_NEAR(a.model->state().velocity_mps.x, 0.0, 1e-9);
    EXPECT_NEAR(a.model->state().velocity_mps.z, 0.0, 1e-9);
}

TEST(EnvelopeDrag, StopsTheAirflowButNeverReversesIt) {
    for (double warp : {1.0, 10.0}) {
        Aircraft a;
        a.rt.set_time_acceleration(warp);
        // 800 m/s near the ground: the module answers with drag coefficients 999.
        a.model->PlaceInFlight(1000, 800, 90 * kRadPerDeg);
        double prev_east = a.model->state().velocity_mps.x;
        bool saw_999 = false;
        for (int frame = 0; frame < 120; ++frame) {
            a.model->RunFrame();
            saw_999 = saw_999 || a.vessel().cw[0] == 999.0;
            const auto& s = a.model->state();
            ASSERT_TRUE(flight_test::Finite(s.position_m) && flight_test::Finite(s.velocity_mps) &&
                        flight_test::Finite(s.omega_radps))
                << "frame " << frame;
            ASSERT_GE(s.velocity_mps.x, 0.0) << "the airflow reversed in frame " << frame << " at warp " << warp;
            prev_east = s.velocity_mps.x;
        }
        EXPECT_TRUE(saw_999);
        EXPECT_LT(prev_east, 700.0) << "the drag should have slowed it below the limit";
    }
}

TEST(EngineAboveTheEnvelope, GivesNoThrustAndBurnsNothing) {
    Aircraft a;
    a.model->PlaceInFlight(17500, 250, 0);
    a.model->controls().main_throttle = 1.0;
    a.model->RunFrame();  // the module's first step sets the envelope
    const double fuel = a.model->fuel_kg();
    for (int i = 0; i < 10; ++i) {
        a.model->RunFrame();
        EXPECT_EQ(a.model->forces().thrust_n, 0.0);
    }
    EXPECT_EQ(a.vessel().thrusters[0].max_thrust0_n, 0.0);
    EXPECT_EQ(a.model->fuel_kg(), fuel);
}

TEST(EngineInsideTheEnvelope, GivesItsMaximumThrust) {
    Aircraft a;
    a.model->PlaceInFlight(16000, 250, 0);
    a.model->controls().main_throttle = 1.0;
    a.model->RunFrame();
    a.model->RunFrame();
    EXPECT_DOUBLE_EQ(a.model->forces().thrust_n, 440000.0);
    a.model->controls().main_throttle = 0.25;
    a.model->RunFrame();
    EXPECT_DOUBLE_EQ(a.model->forces().thrust_n, 110000.0);
}

TEST(Fuel, FlowsAtThrustOverIsp) {
    Aircraft a;
    a.model->PlaceInFlight(5000, 200, 0);
    a.model->RunFrame();  // engine limits in force
    a.model->controls().main_throttle = 1.0;
    const double before = a.model->fuel_kg();
    a.Fly(10.0);
    // 440 kN at 50 000 m/s: 8.8 kg/s.
    EXPECT_NEAR(before - a.model->fuel_kg(), 88.0, 1e-6);
    EXPECT_NEAR(a.model->forces().fuel_flow_kgps, 8.8, 1e-12);
    EXPECT_NEAR(a.model->mass_kg(), 12000.0 + a.model->fuel_kg(), 1e-9);
}

TEST(Fuel, NeverGoesBelowZeroAndAnEmptyTankGivesNoThrust) {
    Aircraft a;
    a.model->PlaceInFlight(5000, 200, 0);
    a.model->RunFrame();
    a.rt.set_fuel_mass_kg(a.index, 0.5);  // less than one frame at full throttle (0.147 kg)... times four
    a.model->controls().main_throttle = 1.0;
    for (int i = 0; i < 30; ++i) {
        a.model->RunFrame();
        ASSERT_GE(a.vessel().propellants[0].mass_kg, 0.0);
    }
    EXPECT_EQ(a.model->fuel_kg(), 0.0);
    EXPECT_EQ(a.model->forces().thrust_n, 0.0);
    EXPECT_EQ(a.vessel().thrusters[0].level, 0.0) << "an empty tank reports no thrust level";
}

TEST(Fuel, TheLastDropGivesOnlyItsShareOfThrust) {
    Aircraft a;
    a.model->PlaceInFlight(5000, 200, 0);
    a.model->RunFrame();
    const double frame_need = 8.8 / 60.0;
    a.rt.set_fuel_mass_kg(a.index, frame_need / 4);
    a.model->controls().main_throttle = 1.0;
    a.model->RunFrame();
    EXPECT_NEAR(a.model->forces().thrust_n, 440000.0 / 4, 1e-6);
    EXPECT_EQ(a.model->fuel_kg(), 0.0);
}

// Trimmed by flying: hold altitude and speed until steady, then let go of the
// holds with the controls where they were: it keeps flying level.
TEST(LevelFlight, AtTheTrimmedAngleOfAttackHoldsItsAltitude) {
    Aircraft a;
    a.model->PlaceInFlight(3000, 150, 0, 3 * kRadPerDeg);
    vantorel_sim::fly::Autopilot ap(*a.model);
    ap.Engage(vantorel_sim::fly::Hold::altitude, 3000);
    ap.Engage(vantorel_sim::fly::Hold::speed, 150);
    ap.Engage(vantorel_sim::fly::Hold::bank, 0);
    auto hook = [&ap](double h) { ap.Update(h); };
    for (int i = 0; i < 60 * 120; ++i) a.model->RunFrame(hook);
    ASSERT_NEAR(a.model->altitude_m(), 3000, 2.0);
    ASSERT_NEAR(a.model->vertical_speed_mps(), 0, 0.05);

    // Newton at equilibrium: lift of the wing (from the module's own table)
    // plus the surfaces plus the thrust's vertical part carry the weight.
    const auto& v = a.vessel();
    const double aoa = a.model->aoa_rad();
    double cl = 0, cm = 0, cd = 0;
    a.rt.airfoil_coefficients(a.index, 0, aoa, 0.4, 1e8, &cl, &cm, &cd);
    const double q = a.model->forces().dynamic_pressure_pa;
    double surfaces = 0;
    for (const auto& c : v.control_surfaces) {
        if (c.axis == AIRCTRL_AXIS_XPOS || c.axis == AIRCTRL_AXIS_XNEG) {
            surfaces += (c.axis == AIRCTRL_AXIS_XPOS ? 1 : -1) * q * c.area_m2 * c.dcl * v.ctrl_level[c.type];
        }
    }
    const double up = q * 270.0 * cl * std::cos(a.model->pitch_rad() - aoa) + surfaces * std::cos(a.model->pitch_rad()) +
                      a.model->forces().thrust_n * std::sin(a.model->pitch_rad());
    const double weight = a.model->mass_kg() * 9.81;
    EXPECT_NEAR(up / weight, 1.0, 0.02) << "aoa " << aoa / kRadPerDeg << " deg, cl " << cl;

    // Hands off the holds, controls frozen: still level a minute later.
    const double elevator = -a.model->controls().elevator, throttle = a.model->controls().main_throttle;
    ap.ReleaseAll();
    ap.manual().pitch = elevator;
    ap.manual().throttle = throttle;
    double lo = 1e9, hi = -1e9;
    for (int i = 0; i < 60 * 60; ++i) {
        a.model->RunFrame(hook);
        lo = std::min(lo, a.model->altitude_m());
        hi = std::max(hi, a.model->altitude_m());
    }
    EXPECT_GT(lo, 3000 - 25.0);
    EXPECT_LT(hi, 3000 + 25.0);
}

TEST(Controls, EachSurfaceTurnsTheAircraftItsOwnWay) {
    struct Case {
        const char* name;
        double host::flight::Controls::*surface;
        double level;
    };
    // Positive elevator and aileron levels push the tail up and the right wing up.
    for (const Case& c : {Case{"elevator", &host::flight::Controls::elevator, -0.5},
                          Case{"aileron", &host::flight::Controls::aileron, -0.5},
                          Case{"rudder", &host::flight::Controls::rudder, 0.5}}) {
        Aircraft a;
        a.model->PlaceInFlight(3000, 150, 90 * kRadPerDeg, 2 * kRadPerDeg);
        a.model->RunFrame();
        const double pitch0 = a.model->pitch_rad(), bank0 = a.model->bank_rad(), heading0 = a.model->heading_rad();
        a.model->controls().*c.surface = c.level;
        a.Fly(0.5);
        const double dpitch = a.model->pitch_rad() - pitch0, dbank = a.model->bank_rad() - bank0,
                     dheading = a.model->heading_rad() - heading0;
        const std::string name = c.name;
        const double moved = name == "elevator" ? dpitch : name == "aileron" ? dbank : dheading;
        const double least = name == "rudder" ? 0.1 * kRadPerDeg : name == "elevator" ? 0.5 * kRadPerDeg : 1 * kRadPerDeg;
        EXPECT_GT(moved, least) << name << ": positive pilot input should raise the nose, lower the right wing, "
                                           "swing the nose right";
    }
}

}  // namespace
