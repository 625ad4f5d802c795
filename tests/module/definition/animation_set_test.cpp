// The animation set as the host receives it: every component with its groups,
// pivot and range, the animations' order and initial states against the
// vessel's layout, and the sharing of records between vessels.
#include <optional>
#include <set>
#include <sstream>
#include <string_view>

#include "vantorel/vessel_layout.h"
#include "module_test_support.h"

namespace vantorel_test {
namespace {

using vantorel::VantorelVessel;
using A = vantorel::layout::Animation;
using vantorel::layout::Index;

struct ExpectedComponent {
    A animation;
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

// The components written out here apart from the module's table, so that a
// mistyped group, pivot or sign there shows up as a mismatch.
const ExpectedComponent kComponents[] = {
    {A::nose_steer, "36-44", 0, {0, -0.2135228, 4.660895}, {0, 1, 0}, 90, O, 0, 1, 0},
    {A::wheel_roll, "46", 0, {0, -1.3201, 4.606005}, {1, 0, 0}, 360, O, 0, 1, 1},
    {A::wheel_roll, "329", 0, {0, -1.237542, -0.357916}, {1, 0, 0}, 360, O, 0, 1, 0},
    {A::wheel_roll, "330", 0, {0, -1.237542, -0.357916}, {1, 0, 0}, 360, O, 0, 1, 0},
    {A::gear, "36-46", 0, {0, -0.2189643, 4.584713}, {1, 0, 0}, -105, O, 0, 0.5, 0},
    {A::gear, "309-312,317,319-323,329", 0, {-1.470682, -0.2578211, -0.3803951}, {1, 0, 0}, -105, O, 0, 0.5, 0},
    {A::gear, "313-316,318,324-328,330", 0, {1.470682, -0.2578211, -0.3803951}, {1, 0, 0}, -105, O, 0, 0.5, 0},
    {A::gear, "6-10,21-25", 0, {-0.2335168, -0.1487122, 6.08281}, {0, 0, 1}, 90, O, 0.5, 1, 0},
    {A::gear, "14-16,29-31", 0, {-1.459599, -0.3626664, 1.36434}, {0, 0, 1}, -90, O, 0.5, 1, 0},
    {A::gear, "11-13,26-28", 0, {1.459599, -0.3626664, 1.36434}, {0, 0, 1}, 90, O, 0.5, 1, 0},
    {A::gear, "17,18,32,33", 0, {-1.470682, -0.2578211, -0.6107915}, {1, 0, 0}, -105, O, 0.1, 0.6, 0},
    {A::gear, "19,20,34,35", 0, {1.470682, -0.2578211, -0.6107915}, {1, 0, 0}, -105, O, 0.1, 0.6, 0},
    {A::rudder, "335-340", 0, {-0.6047022, 0.3360359, -5.595755}, {0.143, 0.975, -0.172}, -20, O, 0, 1, 0},
    {A::rudder, "341-346", 0, {0.6047022, 0.3360359, -5.595755}, {0.143, 0.975, -0.172}, -20, O, 0, 1, 0},
    {A::rudder, "175,177", 1, {0, -0.2587604, 0.1553893}, {1, 0, 0}, 33, O, 0, 1, 0},
    {A::rudder, "174,176", 1, {0, -0.2587604, 0.1553893}, {1, 0, 0}, -33, O, 0, 1, 0},
    {A::elevator, "335-340", 0, {-0.6047022, 0.3360359, -5.595755}, {0.143, 0.975, -0.172}, -20, O, 0, 1, 0},
    {A::elevator, "341-346", 0, {0.6047022, 0.3360359, -5.595755}, {0.143, 0.975, -0.172}, 20, O, 0, 1, 0},
    {A::aileron_left, "1", 0, {-3.86218, -0.1992677, -4.336602}, {1, 0, 1}, -25, O, 0, 1, 0},
    {A::aileron_right, "2", 0, {3.86218, -0.1992677, -4.336602}, {1, 0, -1}, 25, O, 0, 1, 0},
    {A::canopy, "75-167,415-419", 0, {0, 1.389644, 3.87134}, {1, 0, 0}, -39, O, 0, 1, 0},
    {A::canopy, "6-8", 1, {0, -0.07207546, -0.1178391}, {1, 0, 0}, -45, O, 0, 1, 0},
    {A::canopy, "75-167", 1, {0, 0.9444854, -2.137072}, {1, 0, 0}, -39, O, 0, 1, 0},
    {A::flaps, "3", 0, {-2.575044, -0.1992677, -2.742415}, {1, 0, 1}, -27, O, 0, 1, 0},
    {A::flaps, "4", 0, {2.575044, -0.1992677, -2.742415}, {1, 0, -1}, -27, O, 0, 1, 0},
    {A::flaps, "58", 1, {-0.2869548, -0.08058967, 0}, {0, 0, 1}, 145, O, 0, 1, 0},
    {A::flaps, "60,61", 1, {0, -0.07094558, -0.1197148}, {1, 0, 0}, -95, O, 0, 1, 0},
    {A::gear_lever, "69,70", 1, {0, 0.07211046, -0.1409099}, {1, 0, 0}, 45, O, 0, 1, 0},
    {A::gear_lever, "71-73", 1, O, O, T, {0, 0, -0.002}, 0, 1, 0},
    {A::throttle, "266-268", 1, O, O, T, {0, 0, 0.15}, 0, 1, 0},
    {A::alt_needle, "10", 1, {0.2328434, 0.3073601, 0}, {0, 0, 1}, -360, O, 0, 1, 0},
    {A::alt_ten_thousands_drum, "209-218", 1, {0, 0.319589, -0.129}, {1, 0, 0}, 360, O, 0, 1, 0},
    {A::alt_thousands_drum, "219-228", 1, {0, 0.319589, -0.129}, {1, 0, 0}, 360, O, 0, 1, 0},
    {A::alt_hundreds_drum, "179-188", 1, {0, 0.319589, -0.1315}, {1, 0, 0}, 360, O, 0, 1, 0},
    {A::alt_tens_drum, "189-198", 1, {0, 0.319589, -0.1315}, {1, 0, 0}, 360, O, 0, 1, 0},
    {A::alt_units_drum, "199-208", 1, {0, 0.319589, -0.1315}, {1, 0, 0}, 360, O, 0, 1, 0},
    {A::aoa_needle, "5", 1, {0.5363805, 0.07121998, 0}, {0, 0, 1}, 311, O, 0, 1, 0},
    {A::heading_card, "233", 1, {-0.57394, -0.04508492, 0}, {0, 0, 1}, 360, O, 0, 1, 0},
    {A::airspeed_needle, "263,264", 1, {0.2749934, -0.09301734, 0}, {0, 0, 1}, 360, O, 0, 1, 0},
    {A::bank_needle, "11,271", 1, {0.0003878657, -0.1893478, 0}, {0, 0, 1}, -360, O, 0, 1, 0},
    {A::clock_fast, "256", 1, {0.4212073, -0.06707271, 0}, {0, 0, 1}, -360, O, 0, 1, 0},
    {A::clock_mid, "251", 1, {0.4212073, -0.06707271, 0}, {0, 0, 1}, -360, O, 0, 1, 0},
    {A::clock_slow, "74", 1, {0.4212073, -0.06707271, 0}, {0, 0, 1}, -360, O, 0, 1, 0},
    {A::fuel_needle, "63", 1, {0.5540832, -0.05151631, 0}, {0, 0, 1}, -360, O, 0, 1, 0},
};

// The module's animation handles with their initial states, indexed by
// layout::Animation; each is named by its member, so a handle that the layout
// names differently, or that comes out in another place, is caught.
struct AnimationHandle {
    std::string_view name;  // the member's name without "anim_"
    UINT VantorelVessel::*handle;
    double initial_state;
};
#define HANDLE(name, initial) {#name, &VantorelVessel::anim_##name, initial}
const AnimationHandle kAnimations[] = {
    HANDLE(nose_steer, 0.5),       HANDLE(wheel_roll, 0),          HANDLE(gear, 0),
    HANDLE(rudder, 0.5),           HANDLE(elevator, 0.5),          HANDLE(aileron_left, 0.5),
    HANDLE(aileron_right, 0.5),    HANDLE(canopy, 0),              HANDLE(flaps, 0.5),
    HANDLE(gear_lever, 0),         HANDLE(throttle, 0),            HANDLE(alt_needle, 0),
    HANDLE(alt_ten_thousands_drum, 0), HANDLE(alt_thousands_drum, 0), HANDLE(alt_hundreds_drum, 0),
    HANDLE(alt_tens_drum, 0),      HANDLE(alt_units_drum, 0),      HANDLE(aoa_needle, 0),
    HANDLE(heading_card, 0),       HANDLE(airspeed_needle, 0),     HANDLE(bank_needle, 0.5),
    HANDLE(clock_fast, 0),         HANDLE(clock_mid, 0),           HANDLE(clock_slow, 0),
    HANDLE(fuel_needle, 0),
};
#undef HANDLE
static_assert(std::size(kAnimations) == vantorel::layout::kAnimationCount);

const AnimationHandle& Expected(A a) { return kAnimations[Index(a)]; }

using AnimationSetTest = WhiteBoxTest;

TEST_F(AnimationSetTest, ComponentsMatchTheTableInOrder) {
    const int v = Create();
    const host::VesselState& h = Host(v);
    ASSERT_EQ(h.components.size(), std::size(kComponents));
    for (std::size_t i = 0; i < std::size(kComponents); ++i) {
        SCOPED_TRACE("component " + std::to_string(i + 1));
        const ExpectedComponent& want = kComponents[i];
        const host::AnimComponentRec& got = h.components[i];
        EXPECT_EQ(got.anim, Vessel(v).*Expected(want.animation).handle);
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

// Tools know the animations only by the layout: every handle must be the
// layout's index of the animation of the same name, on every vessel.
TEST_F(AnimationSetTest, HandlesComeOutInTheLayoutsOrder) {
    const int first = Create();
    const int second = Create();
    for (int i = 0; i < vantorel::layout::kAnimationCount; ++i) {
        const AnimationHandle& e = kAnimations[i];
        SCOPED_TRACE(std::string(e.name));
        const std::optional<A> named = vantorel::layout::AnimationNamed(e.name);
        ASSERT_TRUE(named.has_value()) << "the layout has no animation of this name";
        EXPECT_EQ(Index(*named), i);
        EXPECT_EQ(vantorel::layout::Name(*named), e.name);
        EXPECT_EQ(Vessel(first).*e.handle, static_cast<UINT>(i));
        EXPECT_EQ(Vessel(second).*e.handle, static_cast<UINT>(i));
    }
    EXPECT_EQ(Host(first).animations.size(), static_cast<std::size_t>(vantorel::layout::kAnimationCount));
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
        EXPECT_EQ(creates[i]["args"][0].get<double>(), kAnimations[i].initial_state);
        EXPECT_EQ(creates[i]["result"].get<UINT>(), Vessel(v).*kAnimations[i].handle);
        EXPECT_EQ(Host(v).animations.at(Vessel(v).*kAnimations[i].handle).state, kAnimations[i].initial_state);
        at_half += kAnimations[i].initial_state == 0.5;
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
    for (const AnimationHandle& e : kAnimations) {
        handles_a.insert(Vessel(a).*e.handle);
        handles_b.insert(Vessel(b).*e.handle);
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
