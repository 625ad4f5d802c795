// The readings the flight model derives from its state (angles, ground
// contact) are kept until the state moves: they must follow every move, and
// the ground model may be left out only where no touchdown point can reach.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "flight_test_support.h"

namespace {

using flight_test::Aircraft;
using host::flight::BodyState;
using host::Mat3;
using host::Quat;
using host::Vec3;
using host::flight::kRadPerDeg;

// Attitude from heading, pitch (nose up) and bank (right wing down), written
// out independently of the model.
Quat Attitude(double heading_deg, double pitch_deg, double bank_deg) {
    const double h = heading_deg * kRadPerDeg, p = pitch_deg * kRadPerDeg, b = bank_deg * kRadPerDeg;
    const Vec3 fwd0{std::sin(h), 0, std::cos(h)}, right0{std::cos(h), 0, -std::sin(h)}, up0{0, 1, 0};
    const Vec3 fwd = fwd0 * std::cos(p) + up0 * std::sin(p);
    const Vec3 up1 = up0 * std::cos(p) - fwd0 * std::sin(p);
    const Vec3 right = right0 * std::cos(b) - up1 * std::sin(b);
    const Vec3 up = right0 * std::sin(b) + up1 * std::cos(b);
    return Quat::FromMatrix(Mat3{right, up, fwd});
}

TEST(Readings, FollowEveryNewState) {
    struct Case {
        double heading_deg, pitch_deg, bank_deg;
        Vec3 velocity_mps;  // world
        double aoa_deg;     // of that velocity in the vessel frame; 0 at a standstill
    } cases[] = {
        {0, 0, 0, {0, 0, 100}, 0},     {90, 10, 0, {100, 0, 0}, 10},  {200, -5, 30, {0, 0, 0}, 0},
        {350, 0, -45, {0, -10, 0}, 90}, {45, 20, 10, {0, 0, 0}, 0},    {0, 5, 0, {0, 0, 50}, 5},
    };
    Aircraft a;
    for (const Case& c : cases) {
        BodyState s;
        s.position_m = {0, 3000, 0};
        s.attitude = Attitude(c.heading_deg, c.pitch_deg, c.bank_deg);
        s.velocity_mps = c.velocity_mps;
        // Every reading is asked for in every case, so a value kept from the case before would show.
        a.model->SetState(s);
        EXPECT_NEAR(a.model->heading_rad() / kRadPerDeg, c.heading_deg, 1e-9) << c.heading_deg;
        EXPECT_NEAR(a.model->pitch_rad() / kRadPerDeg, c.pitch_deg, 1e-9) << c.heading_deg;
        EXPECT_NEAR(a.model->bank_rad() / kRadPerDeg, c.bank_deg, 1e-9) << c.heading_deg;
        EXPECT_NEAR(a.model->aoa_rad() / kRadPerDeg, c.aoa_deg, 1e-9) << c.heading_deg;
        EXPECT_EQ(a.model->airspeed_mps(), host::Length(c.velocity_mps)) << c.heading_deg;
    }
}

TEST(Readings, MoveWithTheSubsteps) {
    Aircraft a;
    a.model->PlaceInFlight(2000, 150, 0, 0, 20 * kRadPerDeg);
    const double heading0 = a.model->heading_rad();
    const double bank0 = a.model->bank_rad();
    a.model->controls().aileron = 1.0;  // a full roll input: bank and heading change every substep
    for (int i = 0; i < 60; ++i) {
        const double bank = a.model->bank_rad();
        a.model->Substep(1.0 / 60);
        // What the model reports is what its new state says.
        const auto& s = a.model->state();
        const Mat3 r = s.attitude.Matrix();
        EXPECT_EQ(a.model->bank_rad(), std::atan2(-r.c0.y, r.c1.y));
        EXPECT_EQ(a.model->pitch_rad(), std::asin(std::clamp(r.c2.y, -1.0, 1.0)));
        EXPECT_NE(a.model->bank_rad(), bank) << "substep " << i;
    }
    EXPECT_NE(a.model->heading_rad(), heading0);
    EXPECT_NE(a.model->bank_rad(), bank0);
}

// Well above the body's height (1.56 m under the gear), a steep nose-down
// attitude puts the nose wheel into the ground: the reach that matters is the
// point's distance from the centre of mass, not its height.
TEST(GroundModel, ANoseWheelBelowTheGroundCountsHoweverHighTheBody) {
    Aircraft a;
    a.model->PlaceInFlight(4.0, 0, 0, -60 * kRadPerDeg);
    double lowest_m = 1e9;
    for (int i = 0; i < 3; ++i) lowest_m = std::min(lowest_m, a.model->touchdown_position_m(i).y);
    ASSERT_LT(lowest_m, 0) << "the case is meant to put a point below the ground";
    EXPECT_TRUE(a.model->ground_contact());
    a.model->Substep(1.0 / 60);
    EXPECT_GT(a.model->forces().contacts, 0);
    EXPECT_GT(a.model->forces().normal_load_n, 0);
}

// Just above the reach of the farthest point no attitude touches the ground.
TEST(GroundModel, NoContactAboveTheFarthestPointWhateverTheAttitude) {
    Aircraft a;
    double reach_m = 0;
    for (const VECTOR3& p : a.vessel().touchdown_m) reach_m = std::max(reach_m, std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z));
    for (double pitch_deg : {-90.0, -60.0, 0.0, 45.0, 90.0}) {
        a.model->PlaceInFlight(reach_m + 0.01, 0, 0, pitch_deg * kRadPerDeg, 30 * kRadPerDeg);
        EXPECT_FALSE(a.model->ground_contact()) << pitch_deg;
        a.model->Substep(1.0 / 60);
        EXPECT_EQ(a.model->forces().contacts, 0) << pitch_deg;
    }
}

}  // namespace
