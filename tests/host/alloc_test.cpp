// With the recorder off, the per-step path allocates nothing once the vessel
// is defined: every VESSEL member and oapi function is answered from storage
// that already exists. Counted with the program's own operator new.
#include <atomic>
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "host_test_util.h"

namespace {
std::atomic<long> g_allocations{0};
}

void* operator new(std::size_t n) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(n == 0 ? 1 : n);
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(Allocation, NoneOnThePerStepPathWithTheRecorderOff) {
    host::Runtime rt;
    rt.set_mesh_dir(host_test::make_mesh_dir("alloc"));
    rt.load_sound_library(HOST_TEST_SOUND);
    rt.load_module(HOST_TEST_MODULE);
    int a = rt.create_vessel();
    int b = rt.create_vessel();
    rt.set_thruster_level(0.5);
    rt.set_ground_contact(true);
    rt.set_camera_internal(true);
    rt.set_time_acceleration(100.0);
    double simt = 0;
    for (int k = 0; k < 3; ++k) rt.run_frame(simt += 0.02, 0.02, 51544.5);  // warm-up

    VESSEL2* v = rt.object(a);
    const host::VesselState& s = rt.vessel(a);
    THRUSTER_HANDLE th = s.thruster_groups[0].members[0];
    MESHHANDLE mesh = s.meshes[0].mesh;
    HMODULE sound = GetModuleHandleA("OrbiterSound.dll");
    auto play = reinterpret_cast<int (*)(int, int, int, int, int)>(
        reinterpret_cast<void*>(GetProcAddress(sound, "PlayVesselWaveOBSound3")));
    ASSERT_NE(play, nullptr);
    static char date[] = "Apr 25 2006";
    double heading = 0;
    VECTOR3 ofs{0, 0.2, 4.5};

    long before = g_allocations.load();
    for (int k = 0; k < 100; ++k) {
        rt.run_frame(simt += 0.02, 0.02, 51544.5);
        v->SetAnimation(0, 0.25);
        v->SetThrusterMax0(th, 1.0);
        v->GetThrusterLevel(th);
        v->SetCW(1, 2, 3, 4);
        v->SetTouchdownPoints(ofs, ofs, ofs);
        v->SetCameraOffset(ofs);
        v->GetControlSurfaceLevel(AIRCTRL_RUDDER);
        v->SetControlSurfaceLevel(AIRCTRL_FLAP, 0.5);
        v->GetAirspeed();
        v->GetAltitude();
        v->GetAOA();
        v->GetBank();
        v->GroundContact();
        v->GetFuelMass();
        v->SetFuelMass(100.0);
        v->AddForce(ofs, ofs);
        v->InsertMesh(mesh, 1, &ofs);
        v->SetMeshVisibilityMode(1, MESHVIS_VC);
        v->GetHandle();
        v->GetFlightModel();
        oapiGetTimeAcceleration();
        oapiSetTimeAcceleration(10.0);
        oapiCameraInternal();
        oapiGetFocusHeading(&heading);
        oapiGetInducedDrag(0.5, 2.0, 0.9);
        oapiLoadMeshGlobal("Test\\Box");
        Date2Int(date);
        play(0, 1, 1, 255, 19000);
    }
    long after = g_allocations.load();
    EXPECT_EQ(after - before, 0);
    EXPECT_TRUE(rt.alive(b));
}

TEST(Allocation, CounterSeesAllocations) {
    // The counting operator new is the one in use (guards the test above).
    long before = g_allocations.load();
    auto* p = new int(3);
    long after = g_allocations.load();
    delete p;
    EXPECT_EQ(after - before, 1);
}

}  // namespace
