// Helpers shared by the host tests: a scratch mesh folder and a trace capture.
#ifndef VANTOREL_TESTS_HOST_UTIL_H
#define VANTOREL_TESTS_HOST_UTIL_H

#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "runtime/host_runtime.h"
#include "scratch_dir.h"

namespace host_test {

// A folder in the test process's scratch folder holding Meshes/Test/Box.msh.
inline std::string make_mesh_dir(const std::string& name) {
    namespace fs = std::filesystem;
    static const test_support::ScratchDir scratch("host");
    fs::path dir = scratch.path() / name;
    fs::create_directories(dir / "Meshes" / "Test");
    std::ofstream(dir / "Meshes" / "Test" / "Box.msh") << "MSHX1\nGROUPS 0\n";
    return dir.string();
}

// Calls an entry of the loaded test module by name.
template <class F>
F module_fn(HINSTANCE instance, const char* name) {
    // Through void*: FARPROC's own signature is not the entry's.
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(instance, name)));
}

// A runtime with its own mesh folder, for each test.
class RuntimeTest : public ::testing::Test {
protected:
    void SetUp() override { rt.set_mesh_dir(make_mesh_dir("runtime")); }
    host::Runtime rt;
};

// The message of the HostError f throws, or "" when it throws none.
inline std::string error_of(const std::function<void()>& f) {
    try {
        f();
    } catch (const host::HostError& e) {
        return e.what();
    }
    return "";
}

// Collects every trace line while alive.
class TraceCapture {
public:
    TraceCapture() : recording_([this](std::string_view s) { text_.append(s); }) {}

    std::vector<nlohmann::json> events() {
        host::trace::flush();
        std::vector<nlohmann::json> out;
        std::size_t start = 0;
        while (start < text_.size()) {
            std::size_t end = text_.find('\n', start);
            out.push_back(nlohmann::json::parse(text_.substr(start, end - start)));
            start = end + 1;
        }
        return out;
    }

    std::string text() {
        host::trace::flush();
        return text_;
    }

private:
    std::string text_;
    host::trace::Recording recording_;  // after text_: flushes into it when destroyed
};

// Names of the call events, in order.
inline std::vector<std::string> call_names(const std::vector<nlohmann::json>& events) {
    std::vector<std::string> out;
    for (const auto& e : events) {
        if (e.contains("call")) out.push_back(e["call"].get<std::string>());
    }
    return out;
}

}  // namespace host_test

#endif
