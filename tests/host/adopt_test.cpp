// A module linked into the program itself, adopted by the runtime.
#include <gtest/gtest.h>

#include "host_test_util.h"

extern "C" VESSEL* ovcInit(OBJHANDLE, int);
extern "C" void ovcExit(VESSEL*);
extern "C" int GetModuleVersion();
extern "C" int test_module_vessels_made();

namespace {

TEST(Adopt, SameProtocolWithoutDlopen) {
    host::Runtime rt;
    rt.set_mesh_dir(host_test::make_mesh_dir("adopt"));
    host::ModuleEntryPoints entry;
    entry.dll_main = &DllMain;
    entry.ovc_init = &ovcInit;
    entry.ovc_exit = &ovcExit;
    entry.get_module_version = &GetModuleVersion;
    host_test::TraceCapture cap;
    rt.adopt_module(entry, "Vantorel-static");
    EXPECT_EQ(rt.module_version(), 60425);
    int before = test_module_vessels_made();
    int i = rt.create_vessel();
    EXPECT_EQ(test_module_vessels_made(), before + 1);
    rt.run_frame(0.02, 0.02, 51544.5);
    EXPECT_EQ(rt.vessel(i).animations.size(), 1u);
    rt.destroy_vessel(i);
    rt.unload_module();
    EXPECT_FALSE(rt.last_unload_complete());  // it stays in the program
    auto ev = cap.events();
    ASSERT_FALSE(ev.empty());
    EXPECT_EQ(ev[0]["call"], "InitLib");
    EXPECT_EQ(ev[0]["args"][0], "module:Vantorel-static");
}

TEST(Adopt, RequiresOvcInit) {
    host::Runtime rt;
    host::ModuleEntryPoints entry;
    EXPECT_THROW(rt.adopt_module(entry, "empty"), host::HostError);
    EXPECT_FALSE(rt.module_loaded());
}

}  // namespace
