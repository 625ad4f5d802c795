// The class capabilities as the host received them, call by call.
#include <map>

#include "definition/airfoil_coeffs.h"
#include "module_test_support.h"

namespace vantorel_test {
namespace {

using ClassCapsTest = WhiteBoxTest;

// Every call of the class set-up in its order, with its arguments as the
// trace writes them.
const char* const kClassCapsCalls = R"([
  ["SetSize", [8.0]],
  ["SetEmptyMass", [12000.0]],
  ["SetCW", [0.3, 0.3, 0.6, 0.9]],
  ["SetWingAspect", [1.7]],
  ["SetWingEffectiveness", [3.1]],
  ["SetCrossSections", [[5.0, 5.0, 15.0]]],
  ["SetRotDrag", [[3.5, 3.5, 3.5]]],
  ["GetFlightModel", []],
  ["SetPitchMomentScale", [0.0001]],
  ["SetBankMomentScale", [0.0001]],
  ["SetPMI", [[15.5, 22.1, 7.7]]],
  ["SetTrimScale", [0.05]],
  ["SetCameraOffset", [[0.0, 0.64, 2.71]]],
  ["SetTouchdownPoints", [[0.0, -1.55953, 4.604074], [-1.740703, -1.55953, -0.3588331], [1.740703, -1.55953, -0.3588331]]],
  ["CreateAirfoil", [0, [0.0, 0.0, -0.5], "coeff:0", 20.0, 270.0, 2.266]],
  ["CreateAirfoil", [1, [0.0, 0.0, -4.0], "coeff:1", 20.0, 50.0, 1.5]],
  ["CreateControlSurface", [0, 7.0, 0.7, [0.0, 0.0, -17.0], 3, "elevator"]],
  ["CreateControlSurface", [1, 2.0, 0.5, [0.0, 2.0, -15.0], 1, "rudder"]],
  ["CreateControlSurface", [2, 4.8, 0.2, [17.8, 0.0, -17.8], 3, "aileron_right"]],
  ["CreateControlSurface", [2, 4.8, 0.2, [-17.8, 0.0, -17.8], 4, "aileron_left"]],
  ["CreateControlSurface", [4, 5.0, 0.1, [0.0, 0.0, -15.0], 3, "elevator"]],
  ["CreateControlSurface", [3, 5.0, 5.0, [0.0, 0.0, -1.0], 3, "flaps"]],
  ["CreateVariableDragElement", [{"var": 0, "value": 0.0}, 5.0, [0.0, 0.0, 0.0]]],
  ["CreateVariableDragElement", [{"var": 1, "value": 0.0}, 0.8, [0.0, -1.0, 0.0]]],
  ["CreatePropellantResource", [20000.0, -1.0, 1.0]],
  ["CreateThruster", [[0.0, 0.0, -4.3], [0.0, 0.0, 1.0], 0.0, "propellant:0:0", 50000.0, 0.0, 101400.0]],
  ["CreateThrusterGroup", [["thruster:0:0"], 1, 0]],
  ["AddBeacon", [{"shape": 2, "pos": [-5.327872, -0.325484, -5.451247], "col": [0.988, 0.133, 0.133],
                  "size": 0.13, "falloff": 0.6, "period": 1.13, "duration": 0.05, "tofs": 0.6, "active": false}]],
  ["AddBeacon", [{"shape": 2, "pos": [5.327872, -0.325484, -5.451247], "col": [0.988, 0.133, 0.133],
                  "size": 0.13, "falloff": 0.6, "period": 1.13, "duration": 0.05, "tofs": 0.6, "active": false}]],
  ["AddMesh", ["exterior", null]],
  ["AddMesh", ["cockpit", [0.0, 0.2, 4.5]]],
  ["SetMeshVisibilityMode", [1, 4]]
])";

// The calls made between clbkSetClassCaps's start and its own event.
std::vector<json> ClassCapsCalls(TraceCapture& trace) {
    std::vector<json> out;
    bool inside = false;
    for (const json& e : trace.all()) {
        if (!e.contains("call")) continue;
        if (e["call"] == "ovcInit") inside = true;  // the set-up follows construction
        else if (e["call"] == "clbkSetClassCaps") break;
        else if (inside) out.push_back(e);
    }
    // Drop the construction's own calls (meshes and animations).
    std::vector<json> caps;
    bool started = false;
    for (const json& e : out) {
        if (e["call"] == "SetSize") started = true;
        if (started) caps.push_back(e);
    }
    return caps;
}

TEST_F(ClassCapsTest, EveryCallInOrderWithItsExactValues) {
    TraceCapture trace;
    const int v = Create();
    const json expected = json::parse(kClassCapsCalls);
    const std::vector<json> got = ClassCapsCalls(trace);
    ASSERT_EQ(got.size(), expected.size());
    const std::map<std::string, UINT> anims = {
        {"elevator", Vessel(v).anim_elevator},
        {"rudder", Vessel(v).anim_rudder},
        {"aileron_right", Vessel(v).anim_aileron_right},
        {"aileron_left", Vessel(v).anim_aileron_left},
        {"flaps", Vessel(v).anim_flaps},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        json want = expected[i][1];
        const std::string name = expected[i][0];
        SCOPED_TRACE(std::to_string(i) + " " + name);
        if (name == "CreateControlSurface") want[5] = anims.at(want[5].get<std::string>());
        if (name == "AddMesh")
            want[0] = json::parse(host::trace::format_handle(want[0] == "exterior" ? state.mesh_exterior
                                                                                    : state.mesh_cockpit));
        EXPECT_EQ(got[i]["call"], name);
        EXPECT_EQ(got[i]["args"], want);
        EXPECT_EQ(got[i]["vessel"], 0);
    }
}

TEST_F(ClassCapsTest, SimpleFlightModelKeepsTheHostsMomentScales) {
    runtime->set_flight_model(0);
    const int simple = Create();
    EXPECT_FALSE(Host(simple).pitch_moment_scale_set);
    EXPECT_FALSE(Host(simple).bank_moment_scale_set);
    for (int level : {1, 2}) {
        runtime->set_flight_model(level);
        const int realistic = Create();
        EXPECT_TRUE(Host(realistic).pitch_moment_scale_set);
        EXPECT_EQ(Host(realistic).pitch_moment_scale, 0.0001);
        EXPECT_EQ(Host(realistic).bank_moment_scale, 0.0001);
    }
}

TEST_F(ClassCapsTest, StateAfterCreation) {
    const int v = Create();
    const host::VesselState& h = Host(v);
    // The engine gives no thrust before the first step, at any throttle.
    ASSERT_EQ(h.thrusters.size(), 1u);
    EXPECT_EQ(h.thrusters[0].max_thrust0_n, 0.0);
    runtime->set_thruster_level(1.0);
    EXPECT_EQ(h.thrusters[0].max_thrust0_n * h.thrusters[0].level, 0.0);
    // The tank is full.
    ASSERT_EQ(h.propellants.size(), 1u);
    EXPECT_EQ(h.propellants[0].mass_kg, 20000.0);
    EXPECT_EQ(h.propellants[0].max_mass_kg, 20000.0);
    // Both beacons dark, read through the addresses the host keeps.
    ASSERT_EQ(h.beacons.size(), 2u);
    EXPECT_FALSE(h.beacons[0]->active);
    EXPECT_FALSE(h.beacons[1]->active);
    EXPECT_EQ(h.beacons[0], &state.beacon_left);
    EXPECT_EQ(h.beacons[1], &state.beacon_right);
    // Exterior at index 0 with the default visibility, the cockpit at 1 in the virtual cockpit only.
    ASSERT_EQ(h.meshes.size(), 2u);
    EXPECT_EQ(h.meshes[0].mesh, state.mesh_exterior);
    EXPECT_EQ(h.meshes[0].visibility, MESHVIS_EXTERNAL);
    EXPECT_EQ(h.meshes[1].mesh, state.mesh_cockpit);
    EXPECT_EQ(h.meshes[1].visibility, MESHVIS_VC);
    // The drag elements read the module's variables in place.
    ASSERT_EQ(h.drag_elements.size(), 2u);
    EXPECT_EQ(h.drag_elements[0].var, &state.canopy_pos);
    EXPECT_EQ(h.drag_elements[1].var, &state.gear_drag);
    EXPECT_EQ(h.thruster_groups.at(0).type, THGROUP_MAIN);
    EXPECT_EQ(h.airfoils.at(0).coeff, &vantorel::vertical_lift_coeffs);
    EXPECT_EQ(h.airfoils.at(1).coeff, &vantorel::horizontal_lift_coeffs);
}

}  // namespace
}  // namespace vantorel_test
