// Helpers shared by the host tests: a scratch mesh folder and a trace capture.
#ifndef VANTOREL_TESTS_HOST_UTIL_H
#define VANTOREL_TESTS_HOST_UTIL_H

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "runtime/host_runtime.h"

namespace host_test {

// A folder under the test's working directory holding Meshes/Test/Box.msh.
inline std::string make_mesh_dir(const std::string& name) {
    namespace fs = std::filesystem;
    fs::path dir = fs::current_path() / ("host-" + name);
    fs::create_directories(dir / "Meshes" / "Test");
    std::ofstream(dir / "Meshes" / "Test" / "Box.msh") << "MSHX1\nGROUPS 0\n";
    return dir.string();
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
