// The per-step path allocates no heap memory: every global allocation in this
// binary is counted while steps run, across all blocks and their branches.
#include "allocation_counter.h"
#include "module_test_support.h"

namespace vantorel_test {
namespace {

using StepAllocationTest = WhiteBoxTest;

TEST_F(StepAllocationTest, NoHeapAllocationInAnyBlock) {
    runtime->load_sound_library(SoundLibraryPath());
    Create();
    Create();
    Step(2);  // the host's own containers reach their working size
    const double altitudes[] = {-3, 0.05, 7.25, 99.7, 100.2, 1234.5678, 12345, 123456, 1e7, 5e-324, std::nan("")};
    const test_support::AllocationCounter allocations;
    for (int i = 0; i < 3000; ++i) {
        runtime->set_altitude_m(altitudes[i % std::size(altitudes)]);
        runtime->set_airspeed_mps(i % 7 == 0 ? 0.0 : (i % 900));
        runtime->set_ground_contact(i % 500 < 100);
        runtime->set_thruster_level((i % 10) / 9.0);
        runtime->set_camera_internal(i % 2 == 0);
        runtime->set_control_surface_level(AIRCTRL_RUDDER, ((i % 21) - 10) / 10.0);
        runtime->set_time_acceleration(i % 300 == 0 ? 100.0 : 1.0);
        if (i % 400 == 0) {
            state.gear_status = state.gear_lever_status = state.canopy_status = state.flap_status = 1 + (i / 400) % 2;
            state.lights_on = 1.0 - state.lights_on;
            state.lights_changed = 1.0;
            state.refuel_request = 1.0;
        }
        Step();
    }
    EXPECT_EQ(allocations.count(), 0);
    EXPECT_GT(state.gear_pos, 0.0) << "the gear moved, so its path was exercised";
}

}  // namespace
}  // namespace vantorel_test
