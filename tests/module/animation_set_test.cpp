// The animation set against the vessel's published tables: every component as
// the host received it, the animations' order and initial states, and the
// sharing of records between vessels.
#include <set>
#include <sstream>

#include "module_test_support.h"

namespace vantorel_test {
namespace {

using vantorel::VantorelVessel;

struct ExpectedComponent {
    int animation;       // creation order, from 0
    const char* groups;  // "a-b" ranges and single numbers, in stored order
    int mesh;
    VECTOR3 ref;
    VECTOR3 axis;
    double angle_deg;    // rotation; NAN for a translation
    VECTOR3 shift;       // translation
    double s0, s1;
    int parent;          // component number from 1, or 0
};

std::vector<UINT> ParseGroups(const std::string& ranges) {
    std::vector<UINT> out;
    std::stringstream in(ranges);
    std::string part;
    while (std::getline(in, part, ',')) {
        const auto dash = part.find('-');
        const UINT first = static_cast<UINT>(std::stoul(part.substr(0, dash)));
        const UINT last = dash == std::string::npos ? first : static_cast<UINT>(std::stoul(part.substr(dash + 1)));
        for (UINT g = first; g <= last; ++g) out.push_back(g);
    }
    return out;
}

constexpr VECTOR3 O = {0, 0, 0};
const double T = NAN;

// Transcribed from the vessel's component table.
const ExpectedComponent kComponents[] = {
    {0, "36-44", 0, {0, -0.2135228, 4.660895}, {0, 1, 0}, 90, O, 0, 1, 0},
    {1, "46", 0, {0, -1.3201, 4.606005}, {1, 0, 0}, 360, O, 0, 1, 1},
    {1, "329", 0, {0, -1.237542, -0.357916}, {1, 0, 0}, 360, O, 0, 1, 0},
    {1, "330", 0, {0, -1.237542, -0.357916}, {1, 0, 0}, 360, O, 0, 1, 0},
    {2, "36-46", 0, {0, -0.2189643, 4.584713}, {1, 0, 0}, -105, O, 0, 0.5, 0},
    {2, "309-312,317,319-323,329", 0, {-1.470682, -0.2578211, -0.3803951}, {1, 0, 0}, -105, O, 0, 0.5, 0},
    {2, "313-316,318,324-328,330", 0, {1.470682, -0.2578211, -0.3803951}, {1, 0, 0}, -105, O, 0, 0.5, 0},
    {2, "6-10,21-25", 0, {-0.2335168, -0.1487122, 6.08281}, {0, 0, 1}, 90, O, 0.5, 1, 0},
    {2, "14-16,29-31", 0, {-1.459599, -0.3626664, 1.36434}, {0, 0, 1}, -90, O, 0.5, 1, 0},
    {2, "11-13,26-28", 0, {1.459599, -0.3626664, 1.36434}, {0, 0, 1}, 90, O, 0.5, 1, 0},
    {2, "17,18,32,33", 0, {-1.470682, -0.2578211, -0.6107915}, {1, 0, 0}, -105, O, 0.1, 0.6, 0},
    {2, "19,20,34,35", 0, {1.470682, -0.2578211, -0.6107915}, {1, 0, 0}, -105, O, 0.1, 0.6, 0},
    {3, "335-340", 0, {-0.6047022, 0.3360359, -5.595755}, {0.143, 0.975, -0.172}, -20, O, 0, 1, 0},
    {3, "341-346", 0, {0.6047022, 0.3360359, -5.595755}, {0.143, 0.975, -0.172}, -20, O, 0, 1, 0},
    {3, "175,177", 1, {0, -0.2587604, 0.1553893}, {1, 0, 0}, 33, O, 0, 1, 0},
    {3, "174,176", 1, {0, -0.2587604, 0.1553893}, {1, 0, 0}, -33, O, 0, 1, 0},
    {4, "335-340", 0, {-0.6047022, 0.3360359, -5.595755}, {0.143, 0.975, -0.172}, -20, O, 0, 1, 0},
    {4, "341-346", 0, {0.6047022, 0.3360359, -5.595755}, {0.143, 0.975, -0.172}, 20, O, 0, 1, 0},
    {5, "1", 0, {-3.86218, -0.1992677, -4.336602}, {1, 0, 1}, -25, O, 0, 1, 0},
    {6, "2", 0, {3.86218, -0.1992677, -4.336602}, {1, 0, -1}, 25, O, 0, 1, 0},
    {7, "75-167,415-419", 0, {0, 1.389644, 3.87134}, {1, 0, 0}, -39, O, 0, 1, 0},
    {7, "6-8", 1, {0, -0.07207546, -0.1178391}, {1, 0, 0}, -45, O, 0, 1, 0},
    {7, "75-167", 1, {0, 0.9444854, -2.137072}, {1, 0, 0}, -39, O, 0, 1, 0},
    {8, "3", 0, {-2.575044, -0.1992677, -2.742415}, {1, 0, 1}, -27, O, 0, 1, 0},
    {8, "4", 0, {2.575044, -0.1992677, -2.742415}, {1, 0, -1}, -27, O, 0, 1, 0},
    {8, "58", 1, {-0.2869548, -0.08058967, 0}, {0, 0, 1}, 145, O, 0, 1, 0},
    {8, "60,61", 1, {0, -0.07094558, -0.1197148}, {1, 0, 0}, -95, O, 0, 1, 0},
    {9, "69,70", 1, {0, 0.07211046, -0.1409099}, {1, 0, 0}, 45, O, 0, 1, 0},
    {9, "71-73", 1, O, O, T, {0, 0, -0.002}, 0, 1, 0},
    {10, "266-268", 1, O, O, T, {0, 0, 0.15}, 0, 1, 0},
    {11, "10", 1, {0.2328434, 0.3073601, 0}, {0, 0, 1}, -360, O, 0, 1, 0},
    {12, "209-218", 1, {0, 0.319589, -0.129}, {1, 0, 0}, 360, O, 0, 1, 0},
    {13, "219-228", 1, {0, 0.319589, -0.129}, {1, 0, 0}, 360, O, 0, 1, 0},
    {14, "179-188", 1, {0, 0.319589, -0.1315}, {1, 0, 0}, 360, O, 0, 1, 0},
    {15, "189-198", 1, {0, 0.319589, -0.1315}, {1, 0, 0}, 360, O, 0, 1, 0},
    {16, "199-208", 1, {0, 0.319589, -0.1315}, {1, 0, 0}, 360, O, 0, 1, 0},
    {17, "5", 1, {0.5363805, 0.07121998, 0}, {0, 0, 1}, 311, O, 0, 1, 0},
    {18, "233", 1, {-0.57394, -0.04508492, 0}, {0, 0, 1}, 360, O, 0, 1, 0},
    {19, "263,264", 1, {0.2749934, -0.09301734, 0}, {0, 0, 1}, 360, O, 0, 1, 0},
    {20, "11,271", 1, {0.0003878657, -0.1893478, 0}, {0, 0, 1}, -360, O, 0, 1, 0},
    {21, "256", 1, {0.4212073, -0.06707271, 0}, {0, 0, 1}, -360, O, 0, 1, 0},
    {22, "251", 1, {0.4212073, -0.06707271, 0}, {0, 0, 1}, -360, O, 0, 1, 0},
    {23, "74", 1, {0.4212073, -0.06707271, 0}, {0, 0, 1}, -360, O, 0, 1, 0},
    {24, "63", 1, {0.5540832, -0.05151631, 0}, {0, 0, 1}, -360, O, 0, 1, 0},
};

// Creation order of the animations with their initial states.
const std::pair<UINT VantorelVessel::*, double> kAnimations[] = {
    {&VantorelVessel::anim_nose_steer, 0.5},        {&VantorelVessel::anim_wheel_roll, 0},
    {&VantorelVessel::anim_gear, 0},                {&VantorelVessel::anim_rudder, 0.5},
    {&VantorelVessel::anim_elevator, 0.5},          {&VantorelVessel::anim_aileron_left, 0.5},
    {&VantorelVessel::anim_aileron_right, 0.5},     {&VantorelVessel::anim_canopy, 0},
    {&VantorelVessel::anim_flaps, 0.5},             {&VantorelVessel::anim_gear_lever, 0},
    {&VantorelVessel::anim_throttle, 0},            {&VantorelVessel::anim_alt_needle, 0},
    {&VantorelVessel::anim_alt_ten_thousands_drum, 0}, {&VantorelVessel::anim_alt_thousands_drum, 0},
    {&VantorelVessel::anim_alt_hundreds_drum, 0},   {&VantorelVessel::anim_alt_tens_drum, 0},
    {&VantorelVessel::anim_alt_units_drum, 0},      {&VantorelVessel::anim_aoa_needle, 0},
    {&VantorelVessel::anim_heading_card, 0},        {&VantorelVessel::anim_airspeed_needle, 0},
    {&VantorelVessel::anim_bank_needle, 0.5},       {&VantorelVessel::anim_clock_fast, 0},
    {&VantorelVessel::anim_clock_mid, 0},           {&VantorelVessel::anim_clock_slow, 0},
    {&VantorelVessel::anim_fuel_needle, 0},
};

using AnimationSetTest = WhiteBoxTest;

TEST_F(AnimationSetTest, ComponentsMatchTheTableInOrder) {
    const int v = Create();
    const host::VesselState& h = Host(v);
    ASSERT_EQ(h.components.size(), std::size(kComponents));
    for (std::size_t i = 0; i < std::size(kComponents); ++i) {
        SCOPED_TRACE("component " + std::to_string(i + 1));
        const ExpectedComponent& want = kComponents[i];
        const host::AnimComponentRec& got = h.components[i];
        EXPECT_EQ(got.anim, Vessel(v).*kAnimations[want.animation].first);
        EXPECT_EQ(got.state0, want.s0);
        EXPECT_EQ(got.state1, want.s1);
        const MGROUP_TRANSFORM* t = got.transform;
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->mesh, static_cast<UINT>(want.mesh));
        const std::vector<UINT> groups = ParseGroups(want.groups);
        ASSERT_EQ(t->ngrp, groups.size());
        EXPECT_EQ(std::vector<UINT>(t->grp, t->grp + t->ngrp), groups);
        if (std::isnan(want.angle_deg)) {
            ASSERT_EQ(t->Type(), MGROUP_TRANSFORM::TRANSLATE);
            EXPECT_TRUE(SameVector(static_cast<const MGROUP_TRANSLATE*>(t)->shift, want.shift));
        } else {
            ASSERT_EQ(t->Type(), MGROUP_TRANSFORM::ROTATE);
            const auto* r = static_cast<const MGROUP_ROTATE*>(t);
            EXPECT_TRUE(SameVector(r->ref, want.ref));
            EXPECT_TRUE(SameVector(r->axis, want.axis));
            EXPECT_EQ(r->angle, static_cast<float>(want.angle_deg * RAD));
        }
        if (want.parent == 0)
            EXPECT_EQ(got.parent, nullptr);
        else
            EXPECT_NE(got.parent, nullptr);
    }
}

TEST_F(AnimationSetTest, NoseWheelSpinHangsBelowTheSteeringComponent) {
    TraceCapture trace;
    Create();
    const std::vector<json> adds = trace.calls("AddAnimationComponent");
    ASSERT_EQ(adds.size(), 44u);
    // The handle returned for component 1 is the parent passed with component 2.
    EXPECT_EQ(adds[1]["args"][4], adds[0]["result"]);
    EXPECT_TRUE(adds[0]["args"][4].is_null());
    for (std::size_t i = 2; i < adds.size(); ++i) EXPECT_TRUE(adds[i]["args"][4].is_null()) << i;
}

TEST_F(AnimationSetTest, AnimationsAreCreatedInOrderWithTheirInitialStates) {
    TraceCapture trace;
    const int v = Create();
    const std::vector<json> creates = trace.calls("CreateAnimation");
    ASSERT_EQ(creates.size(), std::size(kAnimations));
    int at_half = 0;
    for (std::size_t i = 0; i < std::size(kAnimations); ++i) {
        SCOPED_TRACE("animation " + std::to_string(i + 1));
        EXPECT_EQ(creates[i]["args"][0].get<double>(), kAnimations[i].second);
        EXPECT_EQ(creates[i]["result"].get<UINT>(), Vessel(v).*kAnimations[i].first);
        EXPECT_EQ(Host(v).animations.at(Vessel(v).*kAnimations[i].first).state, kAnimations[i].second);
        at_half += kAnimations[i].second == 0.5;
    }
    EXPECT_EQ(at_half, 7);
    // The steering and wheel animations come first, with all four of their
    // components, before the gear animation is created.
    const std::vector<std::string> names = trace.names();
    std::vector<std::string> order;
    for (const std::string& n : names)
        if (n == "CreateAnimation" || n == "AddAnimationComponent") order.push_back(n);
    const std::vector<std::string> head = {"CreateAnimation",       "CreateAnimation",       "AddAnimationComponent",
                                           "AddAnimationComponent", "AddAnimationComponent", "AddAnimationComponent",
                                           "CreateAnimation"};
    EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + 7), head);
}

TEST_F(AnimationSetTest, SecondVesselSharesTheModuleWideRecordsButNotTheNoseWheel) {
    const int a = Create();
    std::vector<MGROUP_TRANSFORM*> first;
    for (const auto& c : Host(a).components) first.push_back(c.transform);
    // Snapshot one shared record's contents to prove it is not filled again.
    auto* gear_leg = static_cast<MGROUP_ROTATE*>(first[4]);
    gear_leg->angle = 1.25f;

    const int b = Create();
    const host::VesselState& hb = Host(b);
    ASSERT_EQ(hb.components.size(), first.size());
    std::set<UINT> handles_a, handles_b;
    for (const auto& [member, initial] : kAnimations) {
        handles_a.insert(Vessel(a).*member);
        handles_b.insert(Vessel(b).*member);
    }
    EXPECT_EQ(handles_a.size(), 25u);
    EXPECT_EQ(handles_b.size(), 25u);
    for (std::size_t i = 0; i < first.size(); ++i) {
        if (i == 1) {
            EXPECT_NE(hb.components[i].transform, first[i]);
            EXPECT_EQ(hb.components[i].transform, Vessel(b).nose_wheel_roll_transform);
        } else {
            EXPECT_EQ(hb.components[i].transform, first[i]) << "component " << i + 1;
        }
    }
    EXPECT_EQ(gear_leg->angle, 1.25f) << "a shared record was filled again";
    EXPECT_EQ(Vessel(a).nose_wheel_roll_transform, first[1]);
    gear_leg->angle = static_cast<float>(-105 * RAD);
}

}  // namespace
}  // namespace vantorel_test
