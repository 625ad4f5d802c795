// Test support for the vessel module: a white-box fixture that runs the module
// linked into the test binary (so tests can set and read the state record),
// a black-box fixture that loads the built library the way the simulator
// would, and a capture of the host's call trace.
#ifndef VANTOREL_TESTS_MODULE_TEST_SUPPORT_H
#define VANTOREL_TESTS_MODULE_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "definition/animation_set.h"
#include "lifecycle/module_entry.h"
#include "lifecycle/vantorel_vessel.h"
#include "lifecycle/vessel_state.h"
#include "runtime/host_runtime.h"
#include "sound/sound_connector.h"

namespace vantorel_test {

using json = nlohmann::json;

inline std::string BuiltModulePath() { return std::string(VANTOREL_BUILD_DIR) + "/lib/Vantorel.so"; }
inline std::string SoundLibraryPath() { return std::string(VANTOREL_BUILD_DIR) + "/lib/OrbiterSound.dll"; }

// Collects the trace's call events while alive.
class TraceCapture {
public:
    TraceCapture()
        : recording([this](std::string_view text) {
              std::size_t start = 0;
              while (start < text.size()) {
                  std::size_t end = text.find('\n', start);
                  if (end == std::string_view::npos) end = text.size();
                  if (end > start) events.push_back(json::parse(text.substr(start, end - start)));
                  start = end + 1;
              }
          }) {}

    // Everything recorded so far, flushed.
    const std::vector<json>& all() {
        host::trace::flush();
        return events;
    }
    // The call events with this name, in order.
    std::vector<json> calls(const std::string& name) {
        std::vector<json> out;
        for (const json& e : all())
            if (e.contains("call") && e["call"] == name) out.push_back(e);
        return out;
    }
    // Names of all call events, in order.
    std::vector<std::string> names() {
        std::vector<std::string> out;
        for (const json& e : all())
            if (e.contains("call")) out.push_back(e["call"].get<std::string>());
        return out;
    }
    void clear() {
        host::trace::flush();
        events.clear();
    }

private:
    std::vector<json> events;
    host::trace::Recording recording;  // after events: flushes into them when destroyed
};

// The module linked into the test binary, starting from its load-time state.
class WhiteBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        vantorel::shared_state = vantorel::ModuleState{};
        std::fill(std::begin(vantorel::SoundEntryTable), std::end(vantorel::SoundEntryTable), nullptr);
        runtime = std::make_unique<host::Runtime>();
        host::ModuleEntryPoints entry;
        entry.dll_main = DllMain;
        entry.ovc_init = ovcInit;
        entry.ovc_exit = ovcExit;
        entry.get_module_version = GetModuleVersion;
        runtime->adopt_module(entry, "Vantorel.so");
    }
    void TearDown() override { runtime.reset(); }

    int Create() { return runtime->create_vessel(); }
    vantorel::VantorelVessel& Vessel(int index) {
        return *static_cast<vantorel::VantorelVessel*>(runtime->object(index));
    }
    const host::VesselState& Host(int index) { return runtime->vessel(index); }
    // Runs n frames; readings persist between them.
    void Step(int n = 1) {
        for (int i = 0; i < n; ++i) {
            runtime->begin_frame();
            runtime->step(0.02 * static_cast<double>(runtime->frame()), 0.02, 51544.5);
        }
    }
    void Press(DWORD key) { runtime->queue_key(key, true); }
    // The current state of one of the vessel's animations.
    double Anim(int index, UINT vantorel::VantorelVessel::*handle) {
        return Host(index).animations.at(Vessel(index).*handle).state;
    }

    vantorel::ModuleState& state = vantorel::shared_state;
    std::unique_ptr<host::Runtime> runtime;
};

// The shipped library, loaded from its file like the simulator does.
class BlackBoxTest : public ::testing::Test {
protected:
    void SetUp() override { runtime = std::make_unique<host::Runtime>(); }
    void TearDown() override { runtime.reset(); }
    void LoadModule() { runtime->load_module(BuiltModulePath()); }
    void Step(int n = 1) {
        for (int i = 0; i < n; ++i) {
            runtime->begin_frame();
            runtime->step(0.02 * static_cast<double>(runtime->frame()), 0.02, 51544.5);
        }
    }
    std::unique_ptr<host::Runtime> runtime;
};

inline bool SameVector(const VECTOR3& a, const VECTOR3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

}  // namespace vantorel_test

#endif
