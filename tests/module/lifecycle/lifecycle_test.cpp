// Module entry and vessel lifecycle: exports, version caching, the DLL entry,
// creation and destruction, and module-wide state across vessels and reloads.
#include <cstdio>
#include <set>

#include "definition/vessel_constants.h"
#include "module_test_support.h"

namespace vantorel_test {
namespace {

using LifecycleTest = WhiteBoxTest;
using ModuleLoadTest = BlackBoxTest;

std::set<std::string> DefinedDynamicSymbols(const std::string& library) {
    std::set<std::string> names;
    const std::string command = "nm -D --defined-only " + library;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string s(line);
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
        const auto space = s.rfind(' ');
        if (space != std::string::npos) names.insert(s.substr(space + 1));
    }
    pclose(pipe);
    return names;
}

TEST(ModuleExports, ExactlyTheEntryPointsUnderPlainCNames) {
    const std::set<std::string> expected = {"DllMain", "GetModuleVersion", "ovcExit", "ovcInit"};
    EXPECT_EQ(DefinedDynamicSymbols(BuiltModulePath()), expected);
}

TEST_F(LifecycleTest, ExitWithNullDoesNothing) {
    TraceCapture trace;
    ovcExit(nullptr);
    EXPECT_TRUE(trace.all().empty());
}

TEST_F(LifecycleTest, VersionIsComputedOnceAndCachedUnlessZero) {
    state.module_version = 0;
    runtime->set_date2int_override(0);
    EXPECT_EQ(GetModuleVersion(), 0);
    runtime->set_date2int_override(60425);
    EXPECT_EQ(GetModuleVersion(), 60425);  // 0 means "not yet computed": asked again
    runtime->set_date2int_override(7);
    EXPECT_EQ(GetModuleVersion(), 60425);  // cached
}

TEST_F(LifecycleTest, VersionAsksTheHostAboutTheFixedSdkDate) {
    state.module_version = 0;
    TraceCapture trace;
    GetModuleVersion();
    GetModuleVersion();
    const std::vector<json> calls = trace.calls("Date2Int");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0]["args"][0], "Apr 25 2006");
}

TEST_F(LifecycleTest, ConstructionLoadsTheThreeMeshesInOrder) {
    TraceCapture trace;
    Create();
    const std::vector<json> loads = trace.calls("oapiLoadMeshGlobal");
    ASSERT_EQ(loads.size(), 3u);
    EXPECT_EQ(loads[0]["args"][0], "Ombrix\\Vantorel");
    EXPECT_EQ(loads[1]["args"][0], "Ombrix\\Vantorel-Cpit");
    EXPECT_EQ(loads[2]["args"][0], "Ombrix\\Vantorel-Cpit_n");
    // The project's placeholder meshes are found under the host's mesh folder.
    EXPECT_EQ(loads[0]["result"], "mesh:Ombrix\\Vantorel");
    EXPECT_NE(state.mesh_cockpit, state.mesh_cockpit_lit);
    EXPECT_NE(state.mesh_cockpit, nullptr);
    // A second vessel loads all three again.
    Create();
    EXPECT_EQ(trace.calls("oapiLoadMeshGlobal").size(), 6u);
}

TEST_F(LifecycleTest, TwoVesselsHaveTheirOwnHandlesAndShareTheState) {
    const int a = Create();
    const int b = Create();
    EXPECT_NE(Vessel(a).GetHandle(), Vessel(b).GetHandle());
    EXPECT_NE(Vessel(a).nose_wheel_roll_transform, Vessel(b).nose_wheel_roll_transform);
    // One gear command, and each vessel's step advances the shared gear.
    runtime->set_altitude_m(500);
    runtime->set_airspeed_mps(100);
    Press(OAPI_KEY_G);
    Step();
    EXPECT_DOUBLE_EQ(state.gear_pos, 2 * 0.00242);
}

TEST_F(LifecycleTest, RecreatedVesselInheritsTheModuleWideState) {
    runtime->set_airspeed_mps(100);
    const int first = Create();
    Press(OAPI_KEY_G);
    Step(420);
    ASSERT_EQ(state.gear_pos, 1.0);
    runtime->destroy_vessel(first);
    const int second = Create();
    Step();
    EXPECT_EQ(state.gear_pos, 1.0);
    EXPECT_TRUE(SameVector(Host(second).touchdown_m[0], vantorel::TOUCHDOWN_GEAR_UP[0]));
}

TEST_F(LifecycleTest, ManyCreationsAndDestructionsReleaseEveryVessel) {
    // Under the sanitizer build a leaked nose-wheel record or vessel fails this.
    for (int i = 0; i < 200; ++i) runtime->destroy_vessel(Create());
    EXPECT_EQ(runtime->living().size(), 0u);
}

TEST_F(ModuleLoadTest, DllEntryFindsNoExitHookAndUnloadRunsNoModuleCode) {
    TraceCapture trace;
    LoadModule();
    const std::vector<json> lookups = trace.calls("GetProcAddress");
    ASSERT_EQ(lookups.size(), 2u);
    EXPECT_EQ(lookups[0]["args"][1], "ExitModule");
    EXPECT_EQ(lookups[1]["args"][1], "opcDLLExit");
    EXPECT_TRUE(lookups[0]["result"].is_null());
    EXPECT_TRUE(lookups[1]["result"].is_null());
    EXPECT_EQ(trace.calls("InitLib").size(), 1u);
    trace.clear();
    runtime->unload_module();
    // Only the detach itself: no call out of the module.
    EXPECT_EQ(trace.names(), std::vector<std::string>{"DllMain"});
    EXPECT_TRUE(runtime->last_unload_complete());
}

TEST_F(ModuleLoadTest, VersionIsTheHostsDateOfTheSdk) {
    LoadModule();
    EXPECT_EQ(runtime->module_version(), host::parse_date("Apr 25 2006"));
    EXPECT_NE(runtime->module_version(), 0);
}

TEST_F(ModuleLoadTest, ReloadBringsBackTheLoadTimeState) {
    LoadModule();
    runtime->set_airspeed_mps(100);
    int v = runtime->create_vessel();
    runtime->queue_key(OAPI_KEY_G, true);
    Step(420);
    EXPECT_TRUE(SameVector(runtime->vessel(v).touchdown_m[0], vantorel::TOUCHDOWN_GEAR_UP[0]));
    // Destroy and create again in the same load: the gear is still up.
    runtime->destroy_vessel(v);
    v = runtime->create_vessel();
    Step();
    EXPECT_TRUE(SameVector(runtime->vessel(v).touchdown_m[0], vantorel::TOUCHDOWN_GEAR_UP[0]));
    // A real unload and reload: the gear is down again.
    runtime->destroy_vessel(v);
    runtime->unload_module();
    ASSERT_TRUE(runtime->last_unload_complete());
    LoadModule();
    v = runtime->create_vessel();
    Step();
    EXPECT_TRUE(SameVector(runtime->vessel(v).touchdown_m[0], vantorel::TOUCHDOWN_GEAR_DOWN[0]));
}

}  // namespace
}  // namespace vantorel_test
