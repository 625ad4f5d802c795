#include "replay_test_support.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace replay_test {

namespace fs = std::filesystem;

vantorel_sim::replay::ReplayOptions BuildOptions() {
    vantorel_sim::replay::ReplayOptions o;
    o.module_path = std::string(VANTOREL_BUILD_DIR) + "/lib/Vantorel.so";
    o.sound_path = std::string(VANTOREL_BUILD_DIR) + "/lib/OrbiterSound.dll";
    return o;
}

Traced RunTraced(const std::string& script_text, vantorel_sim::replay::ReplayOptions options) {
    Traced t;
    std::FILE* out = std::tmpfile();
    if (out == nullptr) throw std::runtime_error("tmpfile failed");
    options.trace = out;
    try {
        t.summary =
            vantorel_sim::replay::RunReplay(vantorel_sim::replay::ParseScriptText(script_text, "test.jsonl"), options);
    } catch (...) {
        std::fclose(out);
        throw;
    }
    std::fflush(out);
    std::rewind(out);
    char buf[1 << 16];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, out)) > 0) t.text.append(buf, n);
    std::fclose(out);
    std::istringstream in(t.text);
    std::string line;
    while (std::getline(in, line)) {
        t.lines.push_back(line);
        t.events.push_back(json::parse(line));
    }
    return t;
}

std::vector<json> Calls(const std::vector<json>& events, const std::string& call) {
    std::vector<json> out;
    for (const json& e : events) {
        if (e.contains("call") && e["call"] == call) out.push_back(e);
    }
    return out;
}

std::vector<json> States(const std::vector<json>& events, int vessel) {
    std::vector<json> out;
    for (const json& e : events) {
        if (e.contains("state") && e["vessel"] == vessel) out.push_back(e);
    }
    return out;
}

bool Matches(const json& want, const json& got) {
    if (want.is_string() && want.get_ref<const std::string&>() == "*") return true;
    if (want.is_object()) {
        if (got.is_object()) {
            for (const auto& [k, v] : want.items()) {
                if (!got.contains(k) || !Matches(v, got[k])) return false;
            }
            return true;
        }
        if (got.is_array()) {
            for (const auto& [k, v] : want.items()) {
                char* end = nullptr;
                unsigned long i = std::strtoul(k.c_str(), &end, 10);
                if (k.empty() || *end != '\0' || i >= got.size() || !Matches(v, got[i])) return false;
            }
            return true;
        }
        return false;
    }
    if (want.is_array()) {
        if (!got.is_array() || got.size() != want.size()) return false;
        for (std::size_t i = 0; i < want.size(); ++i) {
            if (!Matches(want[i], got[i])) return false;
        }
        return true;
    }
    if (want.is_number()) return got.is_number() && want.get<double>() == got.get<double>();
    return want == got;
}

std::string FindExcerpt(const std::vector<json>& events, const std::string& excerpt_text) {
    std::istringstream in(excerpt_text);
    std::string line;
    int line_no = 0;
    std::size_t next = 0;
    while (std::getline(in, line)) {
        ++line_no;
        auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        json want = json::parse(line);
        std::size_t i = next;
        while (i < events.size() && !Matches(want, events[i])) ++i;
        if (i == events.size()) {
            std::string after = next == 0 ? "the start" : "event " + std::to_string(next - 1) + " " + events[next - 1].dump();
            return "excerpt line " + std::to_string(line_no) + " " + line + " not found after " + after;
        }
        next = i + 1;
    }
    return {};
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

CommandResult RunCommand(const std::string& args, const std::string& stdin_text) {
    const std::string in = "replay-cmd.in", out = "replay-cmd.out", err = "replay-cmd.err";
    std::ofstream(in) << stdin_text;
    const std::string cmd = "'" + std::string(VANTOREL_BUILD_DIR) + "/bin/vantorel-sim' replay " + args + " <" + in +
                            " >" + out + " 2>" + err;
    const int rc = std::system(cmd.c_str());
    CommandResult r{WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, ReadFile(out), ReadFile(err)};
    for (const auto& f : {in, out, err}) fs::remove(f);
    return r;
}

}  // namespace replay_test
