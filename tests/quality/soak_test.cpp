// Long runs: many vessels in one module load and many loads of the module.
// Under the sanitizer build LeakSanitizer checks the whole process at exit;
// in every build the module's own allocations are matched against its frees
// (by direct caller, which is cheap enough for these counts).
#include <gtest/gtest.h>

#include <string>

#include "module_allocations.h"
#include "runtime/host_runtime.h"

namespace {

std::string Lib(const char* name) { return std::string(VANTOREL_BUILD_DIR) + "/lib/" + name; }

constexpr int VESSELS_IN_ONE_LOAD = 100000;
constexpr int MODULE_LOADS = 1000;

class SoakTest : public ::testing::Test {
protected:
    void SetUp() override { quality::ResetCounts(); }
    void TearDown() override {
        quality::StopCounting();
        quality::ForgetModule();
    }
};

// With the sound library, as in a session: every vessel asks it for an id.
TEST_F(SoakTest, HundredThousandVesselsInOneLoad) {
    host::Runtime rt;
    rt.load_sound_library(Lib("OrbiterSound.dll"));
    rt.load_module(Lib("Vantorel.so"));
    ASSERT_TRUE(quality::WatchModule("/Vantorel.so"));
    quality::StartCounting(quality::Attribution::caller);
    for (int i = 0; i < VESSELS_IN_ONE_LOAD; ++i) {
        const int v = rt.create_vessel();
        if (i % 1000 == 0) {  // now and then a vessel that flies a little
            rt.queue_key(OAPI_KEY_G, true);
            rt.begin_frame();
            rt.step(0.02, 0.02, 51544.5);
        }
        rt.destroy_vessel(v);
        if (quality::Current().live != 0) {
            FAIL() << "vessel " << i << " left " << quality::Current().live << " allocation(s) behind";
        }
    }
    quality::StopCounting();
    EXPECT_EQ(quality::Current().allocations, 2L * VESSELS_IN_ONE_LOAD);
    EXPECT_FALSE(quality::Current().overflow);
}

TEST_F(SoakTest, ThousandModuleLoads) {
    host::Runtime rt;
    rt.load_sound_library(Lib("OrbiterSound.dll"));
    for (int i = 0; i < MODULE_LOADS; ++i) {
        rt.load_module(Lib("Vantorel.so"));
        ASSERT_TRUE(quality::WatchModule("/Vantorel.so"));
        quality::StartCounting(quality::Attribution::caller);
        const int a = rt.create_vessel();
        const int b = rt.create_vessel();
        rt.queue_key(OAPI_KEY_K, true);
        rt.begin_frame();
        rt.step(0.02, 0.02, 51544.5);
        rt.destroy_vessel(a);
        rt.destroy_vessel(b);
        quality::StopCounting();
        quality::ForgetModule();
        rt.unload_module();
        // A library that stayed mapped would keep its statics and hide what a reload restores.
        ASSERT_TRUE(rt.last_unload_complete()) << "load " << i;
        ASSERT_EQ(quality::Current().live, 0) << "load " << i;
    }
    EXPECT_EQ(quality::Current().allocations, 4L * MODULE_LOADS);
}

}  // namespace
