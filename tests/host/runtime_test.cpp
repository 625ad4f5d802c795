// The host runtime driven through the test vessel module: loading, lifecycle,
// readings, inspection, handle safety and the sound stand-in.
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <utility>

#include <gtest/gtest.h>

#include "host_test_util.h"

namespace {

using host::HostError;
using host::Runtime;

template <class F>
F module_fn(HINSTANCE instance, const char* name) {
    // Through void*: FARPROC's own signature is not the entry's.
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(instance, name)));
}

class RuntimeTest : public ::testing::Test {
protected:
    void SetUp() override { rt.set_mesh_dir(host_test::make_mesh_dir("runtime")); }
    Runtime rt;
};

std::string error_of(const std::function<void()>& f) {
    try {
        f();
    } catch (const HostError& e) {
        return e.what();
    }
    return "";
}

// --- Loader ------------------------------------------------------------------

TEST(Loader, BadPathsNamePathAndReason) {
    const std::string text_file = std::filesystem::current_path() / "not-a-library.so";
    std::ofstream(text_file) << "this is text, not a shared object\n";
    const std::string missing = std::filesystem::current_path() / "no-such-module.so";
    const std::string folder = std::filesystem::current_path().string();

    struct Case {
        std::string path;
        std::string reason;
    } cases[] = {
        {missing, "no such file"},
        {text_file, "not a loadable library"},
        {HOST_TEST_NO_ENTRY_MODULE, "exports no ovcInit"},
        {folder, "not a regular file"},
        {"", "no such file"},
    };
    for (const Case& c : cases) {
        Runtime rt;
        std::string msg = error_of([&] { rt.load_module(c.path); });
        EXPECT_NE(msg.find("'" + c.path + "'"), std::string::npos) << msg;
        EXPECT_NE(msg.find(c.reason), std::string::npos) << msg;
        EXPECT_FALSE(rt.module_loaded());
    }
}

TEST(Loader, LibraryWithoutOvcInitIsNotLeftLoaded) {
    {
        Runtime rt;
        EXPECT_THROW(rt.load_module(HOST_TEST_NO_ENTRY_MODULE), HostError);
    }
    EXPECT_EQ(dlopen(HOST_TEST_NO_ENTRY_MODULE, RTLD_NOLOAD | RTLD_LAZY), nullptr);
}

TEST(Loader, OnlyOneRuntimeAtATime) {
    Runtime rt;
    EXPECT_THROW(Runtime second, HostError);
    EXPECT_EQ(Runtime::current(), &rt);
}

TEST_F(RuntimeTest, RefusesCallsOutOfOrder) {
    EXPECT_NE(error_of([&] { rt.create_vessel(); }).find("no vessel module is loaded"), std::string::npos);
    EXPECT_NE(error_of([&] { rt.run_frame(0.02, 0.02, 51544.5); }).find("no vessel module"), std::string::npos);
    EXPECT_THROW(rt.unload_module(), HostError);
    rt.load_module(HOST_TEST_MODULE);
    EXPECT_THROW(rt.load_module(HOST_TEST_MODULE), HostError);
    int v = rt.create_vessel();
    EXPECT_NE(error_of([&] { rt.unload_module(); }).find("1 vessel(s) still alive"), std::string::npos);
    EXPECT_THROW(rt.load_sound_library(HOST_TEST_SOUND), HostError);
    rt.destroy_vessel(v);
    EXPECT_NE(error_of([&] { rt.destroy_vessel(v); }).find("destroy_vessel(0)"), std::string::npos);
    EXPECT_THROW(rt.destroy_vessel(7), HostError);
    EXPECT_THROW(rt.destroy_vessel(-1), HostError);
    EXPECT_THROW(rt.load_vc(v, 0), HostError);
    EXPECT_THROW(rt.set_airspeed_mps(v, 1.0), HostError);
    EXPECT_THROW(rt.set_focus(v), HostError);
    EXPECT_THROW(rt.vessel(1), HostError);
    EXPECT_FALSE(rt.vessel(0).alive);
    // Indices are never reused.
    EXPECT_EQ(rt.create_vessel(), 1);
}

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

TEST(InducedDrag, UsesTheHostPi) {
    struct Case {
        double cl, a, e;
    } cases[] = {{0.5, 2.266, 0.9}, {-1.0, 1.5, 1.0}, {0.0, 3.0, 0.7}};
    for (const Case& c : cases) {
        EXPECT_EQ(oapiGetInducedDrag(c.cl, c.a, c.e), c.cl * c.cl / (PI * c.a * c.e));
    }
}

TEST(Date2IntParse, YyMmDdOrZero) {
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"Apr 25 2006", 6 * 10000 + 4 * 100 + 25},
        {"Jan 1 2000", 101},
        {"Dec 31 1999", 99 * 10000 + 12 * 100 + 31},
        {"Foo 25 2006", 0},
        {"Apr 2006", 0},
        {"Apr 25 2006 extra", 0},
        {"Apr 32 2006", 0},
        {"", 0},
        {nullptr, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(host::parse_date(c.text), c.expected) << (c.text ? c.text : "null");
}

TEST_F(RuntimeTest, Date2IntOverrideReachesTheModule) {
    rt.set_date2int_override(0);
    rt.load_module(HOST_TEST_MODULE);
    EXPECT_EQ(rt.module_version(), 0);
}

// --- Unload -----------------------------------------------------------------

TEST_F(RuntimeTest, UnloadRemovesTheModuleAndReloadStartsFresh) {
    rt.load_module(HOST_TEST_MODULE);
    auto made = module_fn<int (*)()>(rt.module_instance(), "test_module_vessels_made");
    ASSERT_NE(made, nullptr);
    rt.destroy_vessel(rt.create_vessel());
    rt.create_vessel();
    EXPECT_EQ(made(), 2);
    rt.destroy_all_vessels();
    rt.unload_module();
    EXPECT_TRUE(rt.last_unload_complete());
    EXPECT_EQ(dlopen(HOST_TEST_MODULE, RTLD_NOLOAD | RTLD_LAZY), nullptr);
    rt.load_module(HOST_TEST_MODULE);
    made = module_fn<int (*)()>(rt.module_instance(), "test_module_vessels_made");
    EXPECT_EQ(made(), 0);
}

// --- Windows-kernel stand-ins and the sound library ------------------------

TEST_F(RuntimeTest, GetModuleHandleNeverLoads) {
    EXPECT_EQ(GetModuleHandleA("OrbiterSound.dll"), nullptr);
    EXPECT_EQ(GetModuleHandleA(HOST_TEST_SOUND), nullptr);
    EXPECT_EQ(dlopen(HOST_TEST_SOUND, RTLD_NOLOAD | RTLD_LAZY), nullptr);
    rt.load_sound_library(HOST_TEST_SOUND);
    HMODULE h = GetModuleHandleA("OrbiterSound.dll");
    ASSERT_NE(h, nullptr);
    EXPECT_NE(GetProcAddress(h, "PlayVesselWaveOBSound3"), nullptr);
    // Its dependency's exports are not its own.
    EXPECT_EQ(GetProcAddress(h, "InitLib"), nullptr);
    EXPECT_EQ(GetProcAddress(h, "NoSuchEntry"), nullptr);
    rt.unload_sound_library();
    EXPECT_EQ(GetModuleHandleA("OrbiterSound.dll"), nullptr);
}

// As the simulator's platform does: by the file name, whatever the soname,
// in any case, ".dll" implied; a mere suffix of the name is no match.
TEST_F(RuntimeTest, GetModuleHandleFindsALoadedLibraryByItsFileName) {
    for (const std::string& path : {std::string(HOST_TEST_SOUND),
                                   std::string(HOST_TEST_SOUND_FIXTURES) + "/no_soname/OrbiterSound.dll"}) {
        SCOPED_TRACE(path);
        rt.load_sound_library(path);
        HMODULE h = GetModuleHandleA("OrbiterSound.dll");
        ASSERT_NE(h, nullptr);
        EXPECT_NE(GetProcAddress(h, "PlayVesselWaveOBSound3"), nullptr);
        EXPECT_EQ(GetModuleHandleA("orbitersound.DLL"), h);
        EXPECT_EQ(GetModuleHandleA("OrbiterSound"), h);
        EXPECT_EQ(GetModuleHandleA(path.c_str()), h);
        EXPECT_EQ(GetModuleHandleA("Sound.dll"), nullptr);
        EXPECT_EQ(GetModuleHandleA("OrbiterSound.dl"), nullptr);
        rt.unload_sound_library();
        EXPECT_EQ(GetModuleHandleA("OrbiterSound.dll"), nullptr);
    }
}

TEST_F(RuntimeTest, SoundLibraryVariants) {
    static const char* const entries[] = {
        "LoadVesselWaveOBSound3", "PlayVesselWaveOBSound3", "PlayVesselExclusiveWaveOBSound3",
        "StopVesselWave3",        "IsPlayingVesselWave3",   "IsPlayingRadioVesselWave",
        "SoundOption3",           "SetFrequency",           "GetVesselSoundID3",
        "ReplaceStockOBSound3"};
    struct Case {
        std::string path;
        std::string missing;
        int first_id;
    } cases[] = {
        {HOST_TEST_SOUND, "", 0},
        {std::string(HOST_TEST_SOUND_FIXTURES) + "/no_stop/OrbiterSound.dll", "StopVesselWave3", 0},
        {std::string(HOST_TEST_SOUND_FIXTURES) + "/no_id/OrbiterSound.dll", "GetVesselSoundID3", 0},
        {std::string(HOST_TEST_SOUND_FIXTURES) + "/bad_id/OrbiterSound.dll", "", 60},
    };
    rt.load_module(HOST_TEST_MODULE);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        rt.load_sound_library(c.path);
        HMODULE h = GetModuleHandleA("OrbiterSound.dll");
        ASSERT_NE(h, nullptr);
        for (const char* e : entries) EXPECT_EQ(GetProcAddress(h, e) == nullptr, c.missing == e) << e;
        int a = rt.create_vessel();
        int b = rt.create_vessel();
        auto sound_id = module_fn<int (*)(VESSEL*)>(rt.module_instance(), "test_module_sound_id");
        int expected_a = c.missing == "GetVesselSoundID3" ? -1 : c.first_id;
        int expected_b = c.missing == "GetVesselSoundID3" ? -1 : c.first_id + 1;
        EXPECT_EQ(sound_id(rt.object(a)), expected_a);
        EXPECT_EQ(sound_id(rt.object(b)), expected_b);
        auto get_id = module_fn<int (*)(OBJHANDLE)>(h, "GetVesselSoundID3");
        if (get_id != nullptr) {
            EXPECT_EQ(get_id(rt.vessel(a).handle), expected_a);  // same handle, same id
        }
        rt.destroy_all_vessels();
        rt.unload_sound_library();
        EXPECT_EQ(dlopen(c.path.c_str(), RTLD_NOLOAD | RTLD_LAZY), nullptr);
    }
}

// Ids count from the base in order of each handle's first request, dead
// vessels' handles and foreign values included; a handle asked again keeps its id.
TEST_F(RuntimeTest, SoundIdsFollowFirstRequestOfEachHandle) {
    rt.load_module(HOST_TEST_MODULE);
    const std::pair<std::string, int> libs[] = {
        {HOST_TEST_SOUND, 0}, {std::string(HOST_TEST_SOUND_FIXTURES) + "/bad_id/OrbiterSound.dll", 60}};
    for (const auto& [path, base] : libs) {
        SCOPED_TRACE(path);
        rt.load_sound_library(path);
        auto get_id = module_fn<int (*)(OBJHANDLE)>(GetModuleHandleA("OrbiterSound.dll"), "GetVesselSoundID3");
        ASSERT_NE(get_id, nullptr);
        auto sound_id = module_fn<int (*)(VESSEL*)>(rt.module_instance(), "test_module_sound_id");
        std::vector<OBJHANDLE> handles;
        for (int k = 0; k < 300; ++k) {
            const int v = rt.create_vessel();
            handles.push_back(rt.vessel(v).handle);
            ASSERT_EQ(sound_id(rt.object(v)), base + k);
            rt.destroy_vessel(v);
        }
        int foreign = 0;
        EXPECT_EQ(get_id(&foreign), base + 300);
        for (std::size_t k = handles.size(); k-- > 0;) {
            EXPECT_EQ(get_id(handles[k]), base + static_cast<int>(k));
        }
        EXPECT_EQ(get_id(&foreign), base + 300);
        EXPECT_EQ(get_id(nullptr), base + 301);
        rt.unload_sound_library();
    }
}

TEST_F(RuntimeTest, SoundCallsAreRecordedUnderTheirEntryNames) {
    rt.load_sound_library(HOST_TEST_SOUND);
    rt.load_module(HOST_TEST_MODULE);
    host_test::TraceCapture cap;
    int i = rt.create_vessel();
    HMODULE h = GetModuleHandleA("OrbiterSound.dll");
    auto play = module_fn<int (*)(int, int, int, int, int)>(h, "PlayVesselWaveOBSound3");
    auto load = module_fn<int (*)(int, int, char*, int)>(h, "LoadVesselWaveOBSound3");
    char wave[] = "Sound\\Vantorel\\Vantorel-Eng.wav";
    EXPECT_NE(load(0, 1, wave, 4), 0);
    EXPECT_NE(play(0, 1, 1, 255, 19000), 0);
    auto ev = cap.events();
    nlohmann::json id_event, load_event, play_event;
    for (const auto& e : ev) {
        if (e.value("call", "") == "GetVesselSoundID3") id_event = e;
        if (e.value("call", "") == "LoadVesselWaveOBSound3") load_event = e;
        if (e.value("call", "") == "PlayVesselWaveOBSound3") play_event = e;
    }
    EXPECT_EQ(id_event["vessel"], i);
    EXPECT_EQ(id_event["args"][0], "vessel:" + std::to_string(i));
    EXPECT_EQ(id_event["result"], 0);
    EXPECT_EQ(load_event["args"], nlohmann::json::parse(R"([0, 1, "Sound\\Vantorel\\Vantorel-Eng.wav", 4])"));
    EXPECT_EQ(play_event["args"], nlohmann::json::parse("[0, 1, 1, 255, 19000]"));
    EXPECT_EQ(play_event["vessel"], nullptr);  // called from outside any callback
}

}  // namespace
