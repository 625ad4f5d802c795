// The host loading, refusing and unloading a module: paths that are not a
// module, one runtime at a time, calls out of order, a fresh start after unload.
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

TEST(Loader, BadPathsNamePathAndReason) {
    test_support::ScratchDir scratch;
    const std::string text_file = scratch / "not-a-library.so";
    std::ofstream(text_file) << "this is text, not a shared object\n";
    const std::string missing = scratch / "no-such-module.so";
    const std::string folder = scratch.path().string();

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

}  // namespace
