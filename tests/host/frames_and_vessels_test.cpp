// Frames and readings reaching the module, keys for the focus vessel, and
// handles of other and destroyed vessels.
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <utility>

#include <gtest/gtest.h>

#include "host_test_util.h"
#include "scratch_dir.h"

namespace {

using host::HostError;
using host::Runtime;
using host_test::error_of;
using host_test::module_fn;
using host_test::RuntimeTest;

// --- Frames and readings ------------------------------------------------------

TEST_F(RuntimeTest, ReadingsReachTheModule) {
    rt.load_module(HOST_TEST_MODULE);
    int i = rt.create_vessel();
    rt.set_airspeed_mps(50.0);
    rt.set_thruster_level(0.5);
    rt.set_control_surface_level(AIRCTRL_RUDDER, 0.4);
    rt.set_ground_contact(true);
    rt.set_altitude_m(18000.0);
    rt.set_bank_rad(0.1);
    rt.set_aoa_rad(-0.2);
    rt.set_focus_heading_rad(1.25);
    rt.set_camera_internal(true);
    rt.run_frame(0.02, 0.02, 51544.5);
    const host::VesselState& v = rt.vessel(i);
    EXPECT_EQ(v.animations[0].state, 0.5);
    EXPECT_EQ(v.thrusters[0].max_thrust0_n, 500.0);
    EXPECT_EQ(v.ctrl_level[AIRCTRL_FLAP], 0.2);
    EXPECT_EQ(v.ctrl_level[AIRCTRL_RUDDER], 0.4);
    EXPECT_EQ(v.propellants[0].mass_kg, 19999.0);
    EXPECT_EQ(v.cw[0], 2.0);
    EXPECT_EQ(*v.drag_elements[0].var, 1.25);  // read live through the address
    EXPECT_EQ(v.camera_offset_m.y, 0.7);
    ASSERT_EQ(v.forces.size(), 1u);
    EXPECT_EQ(v.forces[0].force_n.x, 0.1);
    EXPECT_EQ(v.forces[0].force_n.y, -0.2);

    // No heading: the module's variable keeps its value.
    rt.set_focus_heading_rad(std::nullopt);
    rt.set_fuel_mass_kg(-5.0);  // unclamped
    rt.run_frame(0.04, 0.02, 51544.5);
    EXPECT_EQ(*v.drag_elements[0].var, 1.25);
    EXPECT_EQ(v.propellants[0].mass_kg, -6.0);
    EXPECT_EQ(v.forces.size(), 1u);  // last frame's forces were cleared
}

TEST_F(RuntimeTest, TimeAccelerationRequestTakesEffectNextFrame) {
    rt.load_module(HOST_TEST_MODULE);
    rt.create_vessel();
    rt.set_time_acceleration(100.0);
    host_test::TraceCapture cap;
    rt.run_frame(0.02, 0.02, 51544.5);  // the module sees 100 and asks for 10
    EXPECT_EQ(rt.time_acceleration(), 100.0);
    EXPECT_EQ(rt.next_time_acceleration(), 10.0);
    rt.run_frame(0.04, 0.02, 51544.5);
    EXPECT_EQ(rt.time_acceleration(), 10.0);
    std::vector<double> seen;
    for (const auto& e : cap.events()) {
        if (e.value("call", "") == "oapiGetTimeAcceleration") seen.push_back(e["result"].get<double>());
    }
    EXPECT_EQ(seen, (std::vector<double>{100.0, 10.0}));
    // A caller's setting overrides a pending request.
    oapiSetTimeAcceleration(3.0);
    rt.set_time_acceleration(50.0);
    rt.begin_frame();
    EXPECT_EQ(rt.time_acceleration(), 50.0);
}

TEST_F(RuntimeTest, KeysGoToTheFocusVessel) {
    rt.load_module(HOST_TEST_MODULE);
    int a = rt.create_vessel();
    int b = rt.create_vessel();
    rt.set_focus(b);
    host_test::TraceCapture cap;
    rt.queue_key(OAPI_KEY_K, true);
    rt.queue_key(OAPI_KEY_K, false);
    rt.run_frame(0.02, 0.02, 51544.5);
    EXPECT_TRUE(rt.vessel(a).beacons[0]->active);  // shared record, read live
    EXPECT_EQ(rt.vessel(a).meshes[1].mesh, rt.vessel(a).meshes[0].mesh);
    EXPECT_EQ(rt.vessel(b).meshes[1].mesh, nullptr);
    EXPECT_EQ(rt.vessel(b).meshes[1].visibility, MESHVIS_EXTERNAL);  // InsertMesh resets the mode
    std::vector<int> key_vessels, results;
    for (const auto& e : cap.events()) {
        if (e.value("call", "") == "clbkConsumeBufferedKey") {
            key_vessels.push_back(e["vessel"].get<int>());
            results.push_back(e["result"].get<int>());
        }
    }
    EXPECT_EQ(key_vessels, (std::vector<int>{b, b}));
    EXPECT_EQ(results, (std::vector<int>{1, 0}));
    // Delivered once only.
    rt.run_frame(0.04, 0.02, 51544.5);
    EXPECT_TRUE(rt.vessel(a).beacons[0]->active);
}

TEST_F(RuntimeTest, HandlesOfOtherAndDestroyedVessels) {
    rt.load_module(HOST_TEST_MODULE);
    int a = rt.create_vessel();
    int b = rt.create_vessel();
    rt.set_thruster_level(0.25);
    rt.run_frame(0.02, 0.02, 51544.5);
    // Vessel b's step used a's handle: it acted on a's thruster.
    EXPECT_EQ(rt.vessel(a).thrusters[0].max_thrust0_n, 7.0);
    EXPECT_EQ(rt.vessel(b).thrusters[0].max_thrust0_n, 250.0);
    rt.destroy_vessel(a);
    host_test::TraceCapture cap;
    rt.run_frame(0.04, 0.02, 51544.5);
    EXPECT_EQ(rt.vessel(b).thrusters[0].max_thrust0_n, 250.0);
    bool recorded = false;
    for (const auto& e : cap.events()) {
        if (e.value("call", "") == "GetThrusterLevel" && e["args"][0] == "thruster:0:0") {
            recorded = true;
            EXPECT_EQ(e["result"].get<double>(), 0.0);
        }
    }
    EXPECT_TRUE(recorded);
    // Foreign and garbage handles are ignored too.
    VESSEL2* obj = rt.object(b);
    int dummy = 0;
    EXPECT_EQ(obj->GetThrusterLevel(&dummy), 0.0);
    obj->SetThrusterMax0(nullptr, 3.0);
    obj->SetThrusterMax0(rt.vessel(b).meshes[0].mesh, 3.0);
    EXPECT_EQ(rt.vessel(b).thrusters[0].max_thrust0_n, 250.0);
}

// Long sessions create vessels by the hundred thousand: a dead vessel keeps
// its identity and scalars but none of its lists' storage.
TEST_F(RuntimeTest, DestroyedVesselReleasesItsListsAndKeepsItsIdentity) {
    rt.load_module(HOST_TEST_MODULE);
    int a = rt.create_vessel();
    int b = rt.create_vessel();
    rt.load_vc(a, 3);
    rt.run_frame(0.02, 0.02, 51544.5);
    const host::VesselState& v = rt.vessel(a);  // stays valid after destruction
    ASSERT_FALSE(v.forces.empty());
    ASSERT_FALSE(v.drag_vars_seen.empty());
    ASSERT_TRUE(v.hud.has_value());
    const OBJHANDLE handle = v.handle;
    const THRUSTER_HANDLE thruster = v.thruster_groups.at(0).members.at(0);
    const PROPELLANT_HANDLE tank = v.thrusters.at(0).propellant;
    const ANIMATIONCOMPONENT_HANDLE component = v.components.at(1).parent;

    rt.destroy_vessel(a);
    EXPECT_FALSE(v.alive);
    EXPECT_EQ(v.object, nullptr);
    EXPECT_EQ(v.index, a);
    EXPECT_EQ(v.handle, handle);
    EXPECT_EQ(v.size_m, 8.0);  // scalars as last set
    EXPECT_EQ(v.touchdown_m[0].z, 4.6);
    EXPECT_FALSE(v.hud.has_value());
    EXPECT_EQ(v.hud_address, nullptr);
    const std::size_t capacities[] = {
        v.airfoils.capacity(),   v.control_surfaces.capacity(), v.drag_elements.capacity(),
        v.propellants.capacity(), v.thrusters.capacity(),       v.thruster_groups.capacity(),
        v.beacons.capacity(),    v.meshes.capacity(),           v.animations.capacity(),
        v.components.capacity(), v.mfds.capacity(),             v.forces.capacity(),
        v.drag_vars_seen.capacity()};
    for (std::size_t i = 0; i < std::size(capacities); ++i) EXPECT_EQ(capacities[i], 0u) << "list " << i;

    // Its handles still decode and are ignored.
    EXPECT_EQ(rt.index_of(handle), a);
    EXPECT_FALSE(rt.alive(a));
    EXPECT_EQ(host::trace::format_handle(handle), "\"vessel:0\"");
    EXPECT_EQ(host::trace::format_handle(thruster), "\"thruster:0:0\"");
    EXPECT_EQ(rt.thruster_index(thruster), 0);
    VESSEL2* obj = rt.object(b);
    obj->SetThrusterMax0(thruster, 3.0);
    EXPECT_EQ(obj->GetThrusterLevel(thruster), 0.0);
    EXPECT_EQ(rt.propellant_index(tank), 0);
    EXPECT_EQ(host::trace::format_handle(tank), "\"propellant:0:0\"");
    host_test::TraceCapture cap;
    rt.run_frame(0.04, 0.02, 51544.5);  // b's step uses a's thruster
    EXPECT_TRUE(v.forces.empty());
    EXPECT_EQ(v.thrusters.capacity(), 0u);
    EXPECT_EQ(v.drag_vars_seen.capacity(), 0u);
    EXPECT_EQ(host::trace::format_handle(component), "\"component:0:0\"");
    EXPECT_FALSE(cap.events().empty());
    EXPECT_THROW(rt.write_state_event(a), HostError);
    // The living vessel is untouched.
    EXPECT_EQ(rt.vessel(b).thrusters.size(), 1u);
    EXPECT_EQ(rt.vessel(b).propellants.at(0).mass_kg, 20000.0);
}

}  // namespace
