// What the host keeps of a vessel's definition: parameters, meshes, shared
// transform records, virtual-cockpit displays and airfoil coefficients.
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

// --- Definition kept by the host ------------------------------------------

TEST_F(RuntimeTest, KeepsWhatTheModuleDefines) {
    rt.load_module(HOST_TEST_MODULE);
    EXPECT_EQ(rt.module_version(), 60425);
    int i = rt.create_vessel();
    const host::VesselState& v = rt.vessel(i);
    EXPECT_EQ(v.size_m, 8.0);
    EXPECT_EQ(v.empty_mass_kg, 12000.0);
    EXPECT_EQ(v.cw[2], 0.6);
    EXPECT_EQ(v.cross_sections_m2.z, 15.0);
    EXPECT_TRUE(v.pitch_moment_scale_set);
    EXPECT_EQ(v.bank_moment_scale, 1e-4);
    EXPECT_EQ(v.pmi_m2.y, 22.1);
    ASSERT_EQ(v.airfoils.size(), 1u);
    EXPECT_EQ(v.airfoils[0].area_m2, 270.0);
    EXPECT_NE(v.airfoils[0].coeff, nullptr);
    ASSERT_EQ(v.control_surfaces.size(), 1u);
    EXPECT_EQ(v.control_surfaces[0].type, AIRCTRL_RUDDER);
    EXPECT_EQ(v.control_surfaces[0].anim, 0u);
    ASSERT_EQ(v.drag_elements.size(), 1u);
    EXPECT_EQ(*v.drag_elements[0].var, 0.25);
    ASSERT_EQ(v.propellants.size(), 1u);
    EXPECT_EQ(v.propellants[0].mass_kg, 20000.0);  // -1: full
    ASSERT_EQ(v.thrusters.size(), 1u);
    EXPECT_EQ(v.thrusters[0].isp0_mps, 50000.0);
    EXPECT_EQ(v.thrusters[0].max_thrust0_n, 0.0);
    ASSERT_EQ(v.thruster_groups.size(), 1u);
    ASSERT_EQ(v.thruster_groups[0].members.size(), 1u);
    EXPECT_EQ(v.thruster_groups[0].members[0], v.thrusters.empty() ? nullptr : v.thruster_groups[0].members[0]);
    ASSERT_EQ(v.beacons.size(), 1u);
    EXPECT_FALSE(v.beacons[0]->active);
    ASSERT_EQ(v.meshes.size(), 2u);
    EXPECT_EQ(v.meshes[0].visibility, MESHVIS_EXTERNAL);
    EXPECT_FALSE(v.meshes[0].has_offset);
    EXPECT_EQ(v.meshes[1].visibility, MESHVIS_VC);
    EXPECT_EQ(v.meshes[1].offset_m.z, 4.5);
    EXPECT_EQ(rt.mesh_name(v.meshes[0].mesh), "Test\\Box");
    ASSERT_EQ(v.animations.size(), 1u);
    EXPECT_EQ(v.animations[0].state, 0.5);
    ASSERT_EQ(v.components.size(), 2u);
    EXPECT_EQ(v.animations[0].components, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(v.components[0].parent, nullptr);
    EXPECT_NE(v.components[1].parent, nullptr);
    EXPECT_EQ(v.components[1].state0, 0.5);
    ASSERT_NE(v.components[0].transform, nullptr);
    EXPECT_EQ(v.components[0].transform->Type(), MGROUP_TRANSFORM::ROTATE);
}

TEST_F(RuntimeTest, SimpleFlightModelLeavesMomentScalesUnset) {
    rt.set_flight_model(0);
    rt.load_module(HOST_TEST_MODULE);
    const host::VesselState& v = rt.vessel(rt.create_vessel());
    EXPECT_EQ(v.flight_model, 0);
    EXPECT_FALSE(v.pitch_moment_scale_set);
    EXPECT_FALSE(v.bank_moment_scale_set);
}

TEST_F(RuntimeTest, MeshesByNameMissingFileGivesNull) {
    rt.load_module(HOST_TEST_MODULE);
    int a = rt.create_vessel();
    int b = rt.create_vessel();
    EXPECT_NE(rt.vessel(a).meshes[0].mesh, nullptr);
    EXPECT_EQ(rt.vessel(a).meshes[0].mesh, rt.vessel(b).meshes[0].mesh);
    EXPECT_EQ(oapiLoadMeshGlobal("Test\\Box"), rt.vessel(a).meshes[0].mesh);
    EXPECT_EQ(oapiLoadMeshGlobal("Test\\Missing"), nullptr);
    rt.set_mesh_dir(host_test::make_mesh_dir("elsewhere") + "/nothing-here");
    EXPECT_EQ(oapiLoadMeshGlobal("Test\\Box"), nullptr);
}

TEST_F(RuntimeTest, SharedTransformRecordsKeptByAddress) {
    rt.load_module(HOST_TEST_MODULE);
    int a = rt.create_vessel();
    int b = rt.create_vessel();
    EXPECT_EQ(rt.vessel(a).components[0].transform, rt.vessel(b).components[0].transform);
    EXPECT_EQ(rt.vessel(a).beacons[0], rt.vessel(b).beacons[0]);
    // Each vessel's handles count from 0 for itself.
    EXPECT_EQ(host::trace::format_handle(rt.vessel(b).components[1].parent), "\"component:1:0\"");
}

TEST_F(RuntimeTest, LoadVcRegistersDisplaysOfThatVessel) {
    rt.load_module(HOST_TEST_MODULE);
    rt.create_vessel();
    int b = rt.create_vessel();
    EXPECT_TRUE(rt.load_vc(b, 3));
    const host::VesselState& v = rt.vessel(b);
    ASSERT_TRUE(v.hud.has_value());
    EXPECT_EQ(v.hud->ngroup, 331u);
    EXPECT_NE(v.hud_address, nullptr);
    ASSERT_EQ(v.mfds.size(), 1u);
    EXPECT_EQ(v.mfds[0].mfd, MFD_LEFT);
    EXPECT_EQ(v.mfds[0].display.ngroup, 328u);
    EXPECT_EQ(v.camera_range_rad[0], 60 * RAD);
    EXPECT_FALSE(rt.vessel(0).hud.has_value());
}

TEST_F(RuntimeTest, AirfoilCoefficientsAreRecordedUnderTheirNumber) {
    rt.load_module(HOST_TEST_MODULE);
    int i = rt.create_vessel();
    host_test::TraceCapture cap;
    double cl = 0, cm = 0, cd = 0;
    rt.airfoil_coefficients(i, 0, 0.1, 0.3, 1e6, &cl, &cm, &cd);
    EXPECT_EQ(cl, 0.2);
    EXPECT_EQ(cd, 0.01 + oapiGetInducedDrag(0.2, 2.0, 0.9));
    auto ev = cap.events();
    ASSERT_GE(ev.size(), 2u);
    EXPECT_EQ(ev[0]["call"], "oapiGetInducedDrag");  // caused calls come first
    EXPECT_EQ(ev[1]["call"], "coeff:0");
    EXPECT_EQ(ev[1]["vessel"], i);
    EXPECT_EQ(ev[1]["args"], nlohmann::json::parse("[0.1, 0.3, 1000000.0]"));
    EXPECT_EQ(ev[1]["result"][0].get<double>(), cl);
    EXPECT_EQ(ev[1]["result"][2].get<double>(), cd);
    EXPECT_THROW(rt.airfoil_coefficients(i, 1, 0, 0, 0, &cl, &cm, &cd), HostError);
}

}  // namespace
