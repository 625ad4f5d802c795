// Per-step flight systems: time-acceleration cap, envelope, motion channels
// and ground handling, each driven through whole steps with readings set on
// the host and checked against closed-form answers.
#include <cmath>

#include "definition/vessel_constants.h"
#include "flight/motion_channel.h"
#include "module_test_support.h"

namespace vantorel_test {
namespace {

using vantorel::VantorelVessel;
using FlightSystemsTest = WhiteBoxTest;

// ---------------------------------------------------------------------------
// Motion channels
// ---------------------------------------------------------------------------

struct ChannelCase {
    const char* name;
    int vantorel::ModuleState::*status;
    double vantorel::ModuleState::*pos;
    UINT VantorelVessel::*anim;
    double rate;
    int steps_for_full_travel;
};

const ChannelCase kChannels[] = {
    {"gear", &vantorel::ModuleState::gear_status, &vantorel::ModuleState::gear_pos, &VantorelVessel::anim_gear,
     0.00242, 414},
    {"gear lever", &vantorel::ModuleState::gear_lever_status, &vantorel::ModuleState::gear_lever_pos,
     &VantorelVessel::anim_gear_lever, 0.00242, 414},
    {"canopy", &vantorel::ModuleState::canopy_status, &vantorel::ModuleState::canopy_pos,
     &VantorelVessel::anim_canopy, 0.003, 334},
    {"flaps", &vantorel::ModuleState::flap_status, &vantorel::ModuleState::flap_pos, &VantorelVessel::anim_flaps,
     0.006, 167},
};

TEST_F(FlightSystemsTest, FullTravelTakesItsStepCountAndEndsExactlyAtTheEnd) {
    runtime->set_airspeed_mps(100);  // airborne: the gear may move
    const int v = Create();
    for (const ChannelCase& c : kChannels) {
        SCOPED_TRACE(c.name);
        for (int direction : {1, 2}) {
            state.*c.status = direction;
            double expected = state.*c.pos;
            int steps = 0;
            while (state.*c.status != 0 && steps < 1000) {
                Step();
                ++steps;
                expected += direction == 1 ? c.rate : -c.rate;
                if (state.*c.status != 0) {
                    // Every intermediate value reaches the animation.
                    EXPECT_EQ(state.*c.pos, expected);
                    EXPECT_EQ(Anim(v, c.anim), expected);
                }
            }
            EXPECT_EQ(steps, c.steps_for_full_travel);
            EXPECT_EQ(state.*c.pos, direction == 1 ? 1.0 : 0.0);
            EXPECT_EQ(Anim(v, c.anim), state.*c.pos);  // also set in the arriving step
        }
    }
}

TEST_F(FlightSystemsTest, GroundContactFreezesGearAndLeverButNotCanopyAndFlaps) {
    const int v = Create();
    state.gear_status = state.gear_lever_status = state.canopy_status = state.flap_status = 1;
    Step(10);  // airborne
    runtime->set_ground_contact(true);
    const double gear = state.gear_pos, lever = state.gear_lever_pos, canopy = state.canopy_pos;
    Step(5);
    EXPECT_EQ(state.gear_pos, gear);
    EXPECT_EQ(state.gear_lever_pos, lever);
    EXPECT_EQ(state.gear_status, 1);
    EXPECT_DOUBLE_EQ(state.canopy_pos, canopy + 5 * 0.003);
    EXPECT_DOUBLE_EQ(state.flap_pos, 15 * 0.006);
    runtime->set_ground_contact(false);
    Step();
    EXPECT_DOUBLE_EQ(state.gear_pos, gear + 0.00242);
    EXPECT_DOUBLE_EQ(Anim(v, &VantorelVessel::anim_gear), state.gear_pos);
}

TEST_F(FlightSystemsTest, KeyMidTravelReversesOrContinuesByHalf) {
    runtime->set_airspeed_mps(100);
    Create();
    // Retracting flaps at 0.4: F lowers them again from 0.4.
    state.flap_pos = 0.4;
    state.flap_status = 2;
    Press(OAPI_KEY_F);
    Step();
    EXPECT_EQ(state.flap_status, 1);
    EXPECT_DOUBLE_EQ(state.flap_pos, 0.406);
    // Lowering at 0.6: F retracts them from 0.6.
    state.flap_pos = 0.6;
    state.flap_status = 1;
    Press(OAPI_KEY_F);
    Step();
    EXPECT_EQ(state.flap_status, 2);
    EXPECT_DOUBLE_EQ(state.flap_pos, 0.594);
}

TEST_F(FlightSystemsTest, GearDragFollowsOnlyAMovingGear) {
    runtime->set_airspeed_mps(100);
    Create();
    Step(3);
    EXPECT_EQ(state.gear_drag, 0.0) << "the gear is down but has not moved yet";
    state.gear_status = 1;
    Step(414);
    EXPECT_EQ(state.gear_drag, 0.0);
    state.gear_status = 2;
    Step(414);
    EXPECT_EQ(state.gear_drag, 1.0);
}

TEST_F(FlightSystemsTest, FlapSurfaceLevelIsSetEveryStep) {
    const int v = Create();
    state.flap_pos = 0.25;
    runtime->set_control_surface_level(AIRCTRL_FLAP, -0.7);
    Step();
    EXPECT_EQ(Host(v).ctrl_level[AIRCTRL_FLAP], 0.25);
}

TEST_F(FlightSystemsTest, TwoVesselsAdvanceTheSharedGearTwicePerFrame) {
    runtime->set_airspeed_mps(100);
    Create();
    Create();
    state.gear_status = 1;
    Step(207);
    EXPECT_EQ(state.gear_status, 0);
    EXPECT_EQ(state.gear_pos, 1.0);
}

// ---------------------------------------------------------------------------
// Time acceleration and envelope
// ---------------------------------------------------------------------------

TEST_F(FlightSystemsTest, TimeAccelerationAboveTenIsCappedInTheFirstStep) {
    Create();
    const std::pair<double, double> cases[] = {{1, 1}, {10, 10}, {10.01, 10}, {100, 10}, {9.99, 9.99}};
    for (const auto& [factor, after] : cases) {
        runtime->set_time_acceleration(factor);
        Step();
        EXPECT_EQ(runtime->next_time_acceleration(), after) << factor;
    }
}

struct EnvelopeCase {
    double airspeed_mps, altitude_m;
    int outside_pairs;  // how many times the outside configuration is sent
};

const EnvelopeCase kEnvelope[] = {
    {699.99, 16999, 0}, {700, 0, 1}, {0, 17000, 1}, {700, 17000, 2}, {800, 20000, 2}, {0, 0, 0},
};

TEST_F(FlightSystemsTest, EnvelopeByTable) {
    const int v = Create();
    for (const EnvelopeCase& c : kEnvelope) {
        SCOPED_TRACE(std::to_string(c.airspeed_mps) + " m/s, " + std::to_string(c.altitude_m) + " m");
        runtime->set_airspeed_mps(c.airspeed_mps);
        runtime->set_altitude_m(c.altitude_m);
        TraceCapture trace;
        Step();
        const std::vector<json> cw = trace.calls("SetCW");
        const std::vector<json> thrust = trace.calls("SetThrusterMax0");
        const std::size_t calls = c.outside_pairs == 0 ? 1 : static_cast<std::size_t>(c.outside_pairs);
        ASSERT_EQ(cw.size(), calls);
        ASSERT_EQ(thrust.size(), calls);
        const host::VesselState& h = Host(v);
        if (c.outside_pairs == 0) {
            EXPECT_EQ(cw[0]["args"], json::parse("[0.3, 0.3, 0.67, 0.92]"));
            EXPECT_EQ(h.thrusters[0].max_thrust0_n, 440000.0);
        } else {
            for (const json& call : cw) EXPECT_EQ(call["args"], json::parse("[999.0, 999.0, 999.0, 999.0]"));
            EXPECT_EQ(h.thrusters[0].max_thrust0_n, 0.0);
            EXPECT_EQ(h.cw[0], 999.0);
        }
    }
}

// ---------------------------------------------------------------------------
// Ground handling
// ---------------------------------------------------------------------------

struct CoupleCase {
    double airspeed_mps;
    double time_acceleration;
    double gear_pos;
    bool expect_couple;
};

const CoupleCase kCouple[] = {
    {10, 1, 0, true},   {0.6, 1, 0, false}, {0.61, 1, 0, true},  {89.9, 1, 0, true},   {90, 1, 0, false},
    {10, 10, 0, true},  {10, 11, 0, false}, {10, 1, 0.05, false}, {10, 1, 0.049, true}, {10, 1, 1, false},
};

TEST_F(FlightSystemsTest, GroundSteeringCoupleByTable) {
    const int v = Create();
    runtime->set_ground_contact(true);
    runtime->set_control_surface_level(AIRCTRL_RUDDER, 1.0);
    for (const CoupleCase& c : kCouple) {
        SCOPED_TRACE(std::to_string(c.airspeed_mps) + " m/s, factor " + std::to_string(c.time_acceleration) +
                     ", gear " + std::to_string(c.gear_pos));
        runtime->set_airspeed_mps(c.airspeed_mps);
        state.gear_pos = c.gear_pos;
        runtime->set_time_acceleration(c.time_acceleration);
        Step();
        const std::vector<host::ForceRec>& forces = Host(v).forces;
        if (!c.expect_couple) {
            EXPECT_TRUE(forces.empty());
            continue;
        }
        ASSERT_EQ(forces.size(), 2u);
        EXPECT_TRUE(SameVector(forces[0].force_n, {3000000, 0, 0}));
        EXPECT_TRUE(SameVector(forces[0].point_m, {0, 0, 3.33}));
        EXPECT_TRUE(SameVector(forces[1].force_n, {-3000000, 0, 0}));
        EXPECT_TRUE(SameVector(forces[1].point_m, {0, 0, -3.33}));
    }
}

TEST_F(FlightSystemsTest, NoseWheelFollowsTheRudderOnTheGroundEvenAtAStandstill) {
    const int v = Create();
    runtime->set_ground_contact(true);
    const std::pair<double, double> cases[] = {{-1, 0}, {0, 0.5}, {1, 1}, {0.5, 0.75}};
    for (const auto& [rudder, expected] : cases) {
        runtime->set_control_surface_level(AIRCTRL_RUDDER, rudder);
        Step();
        EXPECT_EQ(state.nose_steer_pos, expected);
        EXPECT_EQ(Anim(v, &VantorelVessel::anim_nose_steer), expected);
    }
    EXPECT_EQ(state.wheel_roll_pos, 0.0) << "no rolling at a standstill";
}

TEST_F(FlightSystemsTest, AirborneNoseWheelIsHeldStraight) {
    Create();
    runtime->set_airspeed_mps(50);
    state.nose_steer_pos = 0.9;
    Step();
    EXPECT_EQ(state.nose_steer_pos, 0.5);
    // With the gear fully up nothing holds it.
    state.gear_pos = 1.0;
    state.nose_steer_pos = 0.9;
    Step();
    EXPECT_EQ(state.nose_steer_pos, 0.9);
}

TEST_F(FlightSystemsTest, TouchdownPointsFollowTheGearOneStepLate) {
    const int v = Create();
    runtime->set_airspeed_mps(100);
    state.gear_status = 1;
    // The gear passes 0.95 in the step it moves from below to above it; the
    // touchdown-point selection of the next step installs the gear-up points.
    int steps = 0;
    while (state.gear_pos <= 0.95) {
        Step();
        ++steps;
        EXPECT_TRUE(SameVector(Host(v).touchdown_m[0], vantorel::TOUCHDOWN_GEAR_DOWN[0])) << steps;
    }
    Step();
    EXPECT_TRUE(SameVector(Host(v).touchdown_m[0], vantorel::TOUCHDOWN_GEAR_UP[0]));
    EXPECT_TRUE(SameVector(Host(v).touchdown_m[2], vantorel::TOUCHDOWN_GEAR_UP[2]));
    // Lowering: the gear-up points stay until a step sees the gear below 0.05.
    Step(100);
    state.gear_status = 2;
    while (state.gear_pos >= 0.05) {
        Step();
        EXPECT_TRUE(SameVector(Host(v).touchdown_m[0], vantorel::TOUCHDOWN_GEAR_UP[0]));
    }
    Step();
    EXPECT_TRUE(SameVector(Host(v).touchdown_m[1], vantorel::TOUCHDOWN_GEAR_DOWN[1]));
}

TEST_F(FlightSystemsTest, WheelsRollAtThirtyMetresPerSecondAndWrapWithoutCarry) {
    const int v = Create();
    runtime->set_ground_contact(true);
    runtime->set_airspeed_mps(45);  // capped at 30: a tenth of a turn per step
    TraceCapture trace;
    Step(13);
    std::vector<double> seen;
    for (const json& call : trace.calls("SetAnimation"))
        if (call["args"][0] == Vessel(v).anim_wheel_roll) seen.push_back(call["args"][1].get<double>());
    ASSERT_EQ(seen.size(), 13u);
    for (int i = 0; i < 11; ++i) EXPECT_NEAR(seen[i], 0.1 * (i + 1), 1e-12) << i;
    EXPECT_GT(seen[10], 1.0);  // about 1.1 for one step
    EXPECT_NEAR(seen[11], 0.1, 1e-15);  // restarted from exactly 0
    EXPECT_NEAR(seen[12], 0.2, 1e-15);
}

TEST_F(FlightSystemsTest, BellyLandingKeepsTheGearUpPointsAndSetsNoWheelAnimation) {
    const int v = Create();
    state.gear_pos = 1.0;
    runtime->set_ground_contact(true);
    runtime->set_airspeed_mps(60);
    runtime->set_control_surface_level(AIRCTRL_RUDDER, 1.0);
    TraceCapture trace;
    Step(3);
    EXPECT_TRUE(SameVector(Host(v).touchdown_m[0], vantorel::TOUCHDOWN_GEAR_UP[0]));
    EXPECT_TRUE(Host(v).forces.empty());
    for (const json& call : trace.calls("SetAnimation")) {
        EXPECT_NE(call["args"][0], Vessel(v).anim_wheel_roll);
        EXPECT_NE(call["args"][0], Vessel(v).anim_nose_steer);
    }
    EXPECT_NEAR(state.wheel_roll_pos, 0.3, 1e-12) << "the phase still advances";
}

}  // namespace
}  // namespace vantorel_test
