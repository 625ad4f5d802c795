// With the recorder off, the per-step path allocates nothing once the vessel
// is defined: every VESSEL member and oapi function is answered from storage
// that already exists. Counted by the shared allocation counter, which
// replaces operator new for the whole process.
#include <gtest/gtest.h>

#include <new>

#include "allocation_counter.h"
#include "host_test_util.h"

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

    const test_support::AllocationCounter allocations;
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
    EXPECT_EQ(allocations.count(), 0);
    EXPECT_TRUE(rt.alive(b));
}

TEST(Allocation, CounterSeesAllocations) {
    // The counting operator new is the one in use (guards the test above).
    const test_support::AllocationCounter allocations;
    // Through volatile pointers, so the compiler keeps each pair of new and delete.
    int* volatile p = new int(3);
    const long after_new = allocations.count();
    delete p;
    EXPECT_EQ(after_new, 1);
    double* volatile q = new (std::nothrow) double[4];
    delete[] q;
    EXPECT_EQ(allocations.count(), 2) << "the nothrow and array forms are counted too";
}

}  // namespace
