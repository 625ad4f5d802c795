// Helpers shared by the replay tests: running a script in-process with the
// trace captured, and matching expected trace excerpts.
#ifndef VANTOREL_TESTS_SIM_REPLAY_TEST_SUPPORT_H
#define VANTOREL_TESTS_SIM_REPLAY_TEST_SUPPORT_H

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "replay/replay.h"

namespace replay_test {

using nlohmann::json;

// Options for an in-process run: the module and sound library of this build;
// meshes come from the project's placeholder assets.
vantorel_sim::replay::ReplayOptions BuildOptions();

struct Traced {
    std::string text;               // the trace as written
    std::vector<std::string> lines;  // one event a line
    std::vector<json> events;       // parsed
    vantorel_sim::replay::ReplaySummary summary;
};

// Parses and runs script_text with options (the trace field is set here).
Traced RunTraced(const std::string& script_text, vantorel_sim::replay::ReplayOptions options = BuildOptions());

// Call events named `call`, in order.
std::vector<json> Calls(const std::vector<json>& events, const std::string& call);
// State events of one vessel, in frame order.
std::vector<json> States(const std::vector<json>& events, int vessel);

// Whether `want` matches `got`: objects match when every key of `want`
// matches (extra keys in `got` are fine); an object against an array matches
// the elements at the given indices ({"2": 1.0}); arrays match element-wise
// with equal length; numbers compare by value; "*" matches anything.
bool Matches(const json& want, const json& got);

// Expected excerpt: JSON Lines ('#' comments allowed), each line a partial
// event. The lines must match events of the trace in this order (other
// events may come between). Returns an empty string on success, otherwise
// what was not found.
std::string FindExcerpt(const std::vector<json>& events, const std::string& excerpt_text);

std::string ReadFile(const std::string& path);

// Runs the built `vantorel-sim replay ARGS` through the shell (ARGS as shell
// words), in the current directory, with optional standard input.
struct CommandResult {
    int status;  // exit status, -1 when killed
    std::string out, err;
};
CommandResult RunCommand(const std::string& args, const std::string& stdin_text = "");

}  // namespace replay_test

#endif
