// Every Runtime call that takes a vessel index refuses anything but a living
// vessel with a HostError naming the call and the index, and leaves the
// other vessels alone.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host_test_util.h"

namespace {

using host::HostError;
using host::Runtime;

std::string refusal_of(const std::function<void()>& f) {
    try {
        f();
    } catch (const HostError& e) {
        return e.what();
    }
    return "(no HostError)";
}

struct IndexCall {
    const char* name;
    std::function<void(Runtime&, int)> call;
};

const IndexCall kIndexCalls[] = {
    {"set_airspeed_mps", [](Runtime& rt, int i) { rt.set_airspeed_mps(i, 1.0); }},
    {"set_altitude_m", [](Runtime& rt, int i) { rt.set_altitude_m(i, 1.0); }},
    {"set_aoa_rad", [](Runtime& rt, int i) { rt.set_aoa_rad(i, 0.1); }},
    {"set_bank_rad", [](Runtime& rt, int i) { rt.set_bank_rad(i, 0.1); }},
    {"set_ground_contact", [](Runtime& rt, int i) { rt.set_ground_contact(i, true); }},
    {"set_thruster_level", [](Runtime& rt, int i) { rt.set_thruster_level(i, 0, 0.5); }},
    {"set_control_surface_level", [](Runtime& rt, int i) { rt.set_control_surface_level(i, AIRCTRL_FLAP, 0.5); }},
    {"set_fuel_mass_kg", [](Runtime& rt, int i) { rt.set_fuel_mass_kg(i, 10.0); }},
    {"set_propellant_mass_kg", [](Runtime& rt, int i) { rt.set_propellant_mass_kg(i, 0, 10.0); }},
    {"set_focus", [](Runtime& rt, int i) { rt.set_focus(i); }},
    {"load_vc", [](Runtime& rt, int i) { rt.load_vc(i, 0); }},
    {"destroy_vessel", [](Runtime& rt, int i) { rt.destroy_vessel(i); }},
    {"object", [](Runtime& rt, int i) { rt.object(i); }},
    {"write_state_event", [](Runtime& rt, int i) { rt.write_state_event(i); }},
    {"airfoil_coefficients",
     [](Runtime& rt, int i) {
         double cl = 0, cm = 0, cd = 0;
         rt.airfoil_coefficients(i, 0, 0.0, 0.0, 0.0, &cl, &cm, &cd);
     }},
};

TEST(Refusals, IndexOfNoLivingVesselNamesTheCallAndTheIndex) {
    Runtime rt;
    rt.set_mesh_dir(host_test::make_mesh_dir("refusals"));
    rt.load_module(HOST_TEST_MODULE);
    const int dead = rt.create_vessel();
    const int alive = rt.create_vessel();
    rt.destroy_vessel(dead);
    rt.set_airspeed_mps(alive, 42.0);
    for (const IndexCall& c : kIndexCalls) {
        for (int index : {dead, 2, -1, 1 << 30}) {
            const std::string expected =
                std::string(c.name) + "(" + std::to_string(index) + "): no living vessel with this index";
            EXPECT_EQ(refusal_of([&] { c.call(rt, index); }), expected);
        }
    }
    EXPECT_TRUE(rt.alive(alive));
    EXPECT_EQ(rt.vessel(alive).airspeed_mps, 42.0);
    EXPECT_EQ(rt.focus(), 0);
}

TEST(Refusals, OutOfRangeArgumentsOfALivingVessel) {
    Runtime rt;
    rt.set_mesh_dir(host_test::make_mesh_dir("refusals"));
    rt.load_module(HOST_TEST_MODULE);
    const int v = rt.create_vessel();
    double cl = 0, cm = 0, cd = 0;
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { rt.vessel(3); }, "vessel(3): no vessel was created with this index"},
        {[&] { rt.vessel(-2); }, "vessel(-2): no vessel was created with this index"},
        {[&] { rt.set_thruster_level(v, 1, 0.5); }, "set_thruster_level(0, 1): the vessel has 1 thruster(s)"},
        {[&] { rt.set_propellant_mass_kg(v, 4, 1.0); },
         "set_propellant_mass_kg(0, 4): the vessel has 1 propellant resource(s)"},
        {[&] { rt.set_control_surface_level(v, static_cast<AIRCTRL_TYPE>(6), 0.5); },
         "set_control_surface_level: type 6 is not 0..5"},
        // 7 is the largest value the enumeration can hold; a negative one would
        // be undefined before the host could refuse it.
        {[&] { rt.set_control_surface_level(static_cast<AIRCTRL_TYPE>(7), 0.5); },
         "set_control_surface_level: type 7 is not 0..5"},
        {[&] { rt.airfoil_coefficients(v, 1, 0, 0, 0, &cl, &cm, &cd); },
         "airfoil_coefficients(0, 1): no airfoil with a coefficient function at this index"},
        {[&] { rt.airfoil_coefficients(v, 0, 0, 0, 0, &cl, nullptr, &cd); },
         "airfoil_coefficients: null output address"},
    };
    for (const auto& [call, expected] : cases) EXPECT_EQ(refusal_of(call), expected);
    EXPECT_EQ(rt.vessel(v).thrusters[0].level, 0.0);
    EXPECT_EQ(rt.vessel(v).propellants[0].mass_kg, 20000.0);
}

TEST(Refusals, CallsThatRunModuleCodeNeedAModule) {
    Runtime rt;
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"create_vessel", [&] { rt.create_vessel(); }},
        {"begin_frame", [&] { rt.begin_frame(); }},
        {"step", [&] { rt.step(0.02, 0.02, 51544.5); }},
        {"destroy_vessel", [&] { rt.destroy_vessel(0); }},
        {"load_vc", [&] { rt.load_vc(0, 0); }},
    };
    for (const auto& [name, call] : cases) EXPECT_EQ(refusal_of(call), std::string(name) + ": no vessel module is loaded");
}

// What a module's callback sees when it calls back into the runtime (here from
// ovcInit, which then fails): every call that runs module code or changes what
// the frame sees is refused.
std::vector<std::string> g_refusals;

VESSEL* OvcInitCallingBack(OBJHANDLE, int) {
    Runtime& rt = *Runtime::current();
    double cl = 0, cm = 0, cd = 0;
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"create_vessel", [&] { rt.create_vessel(); }},
        {"destroy_vessel", [&] { rt.destroy_vessel(0); }},
        {"unload_module", [&] { rt.unload_module(); }},
        {"begin_frame", [&] { rt.begin_frame(); }},
        {"step", [&] { rt.step(0.02, 0.02, 51544.5); }},
        {"load_vc", [&] { rt.load_vc(0, 0); }},
        {"airfoil_coefficients", [&] { rt.airfoil_coefficients(0, 0, 0, 0, 0, &cl, &cm, &cd); }},
        {"set_frame", [&] { rt.set_frame(5); }},
        {"queue_key", [&] { rt.queue_key(OAPI_KEY_G, true); }},
        {"set_airspeed_mps", [&] { rt.set_airspeed_mps(0, 1.0); }},
        {"set_time_acceleration", [&] { rt.set_time_acceleration(2.0); }},
    };
    for (const auto& [name, call] : cases) {
        const std::string error = refusal_of(call);
        if (error != std::string(name) + ": called from inside a module callback") g_refusals.push_back(error);
    }
    return nullptr;
}

TEST(Refusals, NoCallIntoTheRuntimeFromInsideAModuleCallback) {
    Runtime rt;
    host::ModuleEntryPoints entry;
    entry.ovc_init = &OvcInitCallingBack;
    rt.adopt_module(entry, "CallsBack");
    EXPECT_EQ(refusal_of([&] { rt.create_vessel(); }), "create_vessel: ovcInit returned null for vessel 0");
    EXPECT_EQ(g_refusals, std::vector<std::string>{});
    EXPECT_EQ(rt.frame(), 0);
}

}  // namespace
