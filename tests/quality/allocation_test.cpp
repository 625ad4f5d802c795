// The module's heap: per vessel exactly the vessel object and its one
// animation record, both freed by ovcExit; nothing during steps, keys or
// clbkLoadVC. Counted on the shipped library, by call path.
#include <cstdio>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "module_allocations.h"
#include "runtime/host_runtime.h"

namespace {

std::string Lib(const char* name) { return std::string(VANTOREL_BUILD_DIR) + "/lib/" + name; }

class ModuleAllocationTest : public ::testing::Test {
protected:
    void SetUp() override { quality::ResetCounts(); }
    void TearDown() override {
        quality::StopCounting();
        if (rt && rt->module_loaded()) {
            rt->destroy_all_vessels();
            quality::ForgetModule();
            rt->unload_module();
        }
        quality::ForgetModule();
    }
    void Load(bool with_sound) {
        rt.emplace();
        if (with_sound) rt->load_sound_library(Lib("OrbiterSound.dll"));
        rt->load_module(Lib("Vantorel.so"));
        ASSERT_TRUE(quality::WatchModule("/Vantorel.so"));
    }
    // Everything a flight does: all keys, readings that take every branch,
    // the virtual cockpit, a few hundred steps.
    void Fly() {
        rt->load_vc(rt->living().front(), 0);
        const DWORD keys[] = {OAPI_KEY_G, OAPI_KEY_0, OAPI_KEY_F, OAPI_KEY_K, OAPI_KEY_J, 0x7F};
        for (int i = 0; i < 300; ++i) {
            if (i % 50 == 0) rt->queue_key(keys[(i / 50) % 6], true);
            rt->set_airspeed_mps(i % 3 == 0 ? 0.0 : 40.0 * (i % 20));
            rt->set_altitude_m(i * 71.3);
            rt->set_ground_contact(i % 100 < 30);
            rt->set_thruster_level((i % 5) / 4.0);
            rt->begin_frame();
            rt->step(0.02 * i, 0.02, 51544.5);
        }
    }
    std::optional<host::Runtime> rt;
};

TEST_F(ModuleAllocationTest, EachVesselOwnsTheObjectAndOneAnimationRecord) {
    Load(true);
    quality::StartCounting(quality::Attribution::call_path);
    rt->create_vessel();
    rt->create_vessel();
    Fly();
    const quality::Counts flying = quality::Current();
    rt->destroy_all_vessels();
    quality::StopCounting();

    EXPECT_FALSE(flying.overflow);
    EXPECT_EQ(flying.allocations, 4);
    EXPECT_EQ(flying.live, 4) << "both vessels hold their two records while flying";
    long n = 0;
    const std::size_t* sizes = quality::Sizes(&n);
    const std::vector<std::size_t> seen(sizes, sizes + n);
    // Per vessel: the vessel object (a VESSEL2 with the vessel's own members),
    // then its nose-wheel record.
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_GT(seen[0], sizeof(VESSEL2));
    EXPECT_EQ(seen[1], sizeof(MGROUP_ROTATE));
    EXPECT_EQ(seen[2], seen[0]);
    EXPECT_EQ(seen[3], sizeof(MGROUP_ROTATE));
    EXPECT_EQ(quality::Current().live, 0) << "ovcExit frees both records";
}

// Without the sound library each creation writes the log: still no heap use
// beyond the two records.
TEST_F(ModuleAllocationTest, LoggingAConnectFailureAllocatesNothing) {
    Load(false);
    // No log yet: the writer's existence check and the header's creation run too.
    std::remove("OrbiterSound_Log.txt");
    quality::StartCounting(quality::Attribution::call_path);
    rt->create_vessel();
    Fly();
    rt->destroy_all_vessels();
    quality::StopCounting();
    EXPECT_EQ(quality::Current().allocations, 2);
    EXPECT_EQ(quality::Current().live, 0);
}

// The counter's own check: watching the host library instead, the host's
// allocations for a new vessel are seen, and the test's own are not.
TEST_F(ModuleAllocationTest, CountsOnlyAllocationsOfTheWatchedLibrary) {
    Load(true);
    ASSERT_TRUE(quality::WatchModule("/libvantorel_host.so"));
    quality::StartCounting(quality::Attribution::caller);
    std::vector<int> mine(1000, 1);
    EXPECT_EQ(quality::Current().allocations, 0);
    rt->create_vessel();
    quality::StopCounting();
    EXPECT_GT(quality::Current().allocations, 0);
    EXPECT_EQ(mine.size(), 1000u);
}

}  // namespace
