// On the gear: resting, settling, steering and braking.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "flight_test_support.h"

namespace {

using flight_test::Aircraft;
using host::flight::kRadPerDeg;

TEST(AtRest, StaysExactlyWhereItStands) {
    Aircraft a;
    a.model->PlaceOnGround(30 * kRadPerDeg, 100, -50);
    ASSERT_TRUE(a.model->parked());
    const auto start = a.model->state();
    a.rt.set_time_acceleration(10);
    a.Fly(600);
    const auto& s = a.model->state();
    EXPECT_EQ(s.position_m.x, start.position_m.x);
    EXPECT_EQ(s.position_m.y, start.position_m.y);
    EXPECT_EQ(s.position_m.z, start.position_m.z);
    EXPECT_EQ(a.model->airspeed_mps(), 0.0);
    EXPECT_TRUE(a.vessel().ground_contact);
    EXPECT_EQ(a.vessel().airspeed_mps, 0.0) << "the module reads exactly zero, so key J can refuel";
}

TEST(AtRest, ADroppedAircraftSettlesWithoutCreepingOrAGrowingBounce) {
    Aircraft a;
    a.model->PlaceOnGround(0);
    const double rest_y = a.model->state().position_m.y;
    auto s = a.model->state();
    s.position_m.y += 0.3;
    a.model->SetState(s);
    // Largest distance from the rest height in each half second.
    double prev_amp = 1e9;
    for (int window = 0; window < 40; ++window) {
        double amp = 0;
        for (int f = 0; f < 30; ++f) {
            a.model->RunFrame();
            amp = std::max(amp, std::abs(a.model->state().position_m.y - rest_y));
        }
        EXPECT_LE(amp, prev_amp + 1e-6) << "bounce grew in window " << window;
        prev_amp = amp;
    }
    EXPECT_LT(prev_amp, 1e-3);
    EXPECT_TRUE(a.model->parked());
    // The bounce may roll it a little on its wheels; once settled it does not creep.
    const auto settled = a.model->state().position_m;
    EXPECT_LT(std::hypot(settled.x, settled.z), 0.05);
    EXPECT_LT(std::abs(std::remainder(a.model->heading_rad(), host::flight::kTwoPi)), 1e-4);
    a.Fly(120);
    EXPECT_LT(std::hypot(a.model->state().position_m.x - settled.x, a.model->state().position_m.z - settled.z), 1e-9)
        << "it crept";
}

// Rolling at taxi speed, with throttle closed.
void StartRolling(Aircraft& a, double speed_mps) {
    a.model->PlaceOnGround(90 * kRadPerDeg);
    auto s = a.model->state();
    s.velocity_mps = {speed_mps, 0, 0};
    a.model->SetState(s);
}

TEST(GroundSteering, TheCoupleTurnsTheAircraftTheRudderWay) {
    for (double rudder : {0.05, -0.05}) {
        Aircraft a;
        StartRolling(a, 10);
        a.model->controls().rudder = rudder;
        a.model->RunFrame();
        // The module answers with a pure couple of 6.66 m x 3 MN per unit of rudder.
        double moment = 0, net = 0;
        for (const auto& f : a.vessel().forces) {
            moment += f.point_m.z * f.force_n.x;
            net += f.force_n.x;
        }
        EXPECT_NEAR(moment, rudder * 6.66 * 3e6, 1.0);
        EXPECT_NEAR(net, 0.0, 1e-6);
        a.Fly(0.5);
        const double turned = std::remainder(a.model->heading_rad() - 90 * kRadPerDeg, host::flight::kTwoPi);
        EXPECT_GT(rudder / std::abs(rudder) * turned, 2 * kRadPerDeg) << "rudder " << rudder;
        // Strong side friction: it rolls where the nose points, it does not skid.
        const auto& v = a.model->state().velocity_mps;
        const double track = std::atan2(v.x, v.z);
        EXPECT_LT(std::abs(std::remainder(track - a.model->heading_rad(), host::flight::kTwoPi)), 3 * kRadPerDeg);
    }
}

TEST(GroundSteering, NoCoupleAtAStandstill) {
    Aircraft a;
    a.model->PlaceOnGround(90 * kRadPerDeg);
    a.model->controls().rudder = 1.0;
    a.Fly(2.0);
    EXPECT_TRUE(a.vessel().forces.empty());
    EXPECT_NEAR(a.model->heading_rad(), 90 * kRadPerDeg, 1e-9);
    EXPECT_TRUE(a.model->parked());
}

TEST(Brakes, StopTheRollAtTheFrictionLimit) {
    Aircraft a;
    StartRolling(a, 30);
    a.model->controls().brakes = 1.0;
    double t = 0;
    while (!a.model->parked() && t < 60) {
        a.model->RunFrame();
        t += 1.0 / 60;
    }
    ASSERT_TRUE(a.model->parked());
    // Nearly all the weight is on the braked main wheels (mu 0.6 + rolling
    // 0.025), the nose wheel only rolls: stopping takes at least v / (0.625 g).
    const double x = a.model->state().position_m.x;
    EXPECT_GT(x, 30.0 * 30.0 / (2 * 0.625 * 9.81) * 0.98);
    EXPECT_LT(x, 30.0 * 30.0 / (2 * 0.5 * 9.81));
}

TEST(Rolling, WithoutBrakesSlowsOnlyByRollingFrictionAndDrag) {
    Aircraft a;
    StartRolling(a, 20);
    a.Fly(2.0);
    // Rolling friction 0.025 g plus a little air drag.
    const double v = a.model->airspeed_mps();
    EXPECT_LT(v, 20 - 0.025 * 9.81 * 2.0);
    // Air drag at 20 m/s is well under 0.25 m/s per second for 32 t.
    EXPECT_GT(v, 20 - (0.025 * 9.81 + 0.25) * 2.0);
}

}  // namespace
