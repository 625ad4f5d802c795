// Running the built vantorel-sim as a user would, in a scratch folder of the
// test's own, and looking at what it left on disk.
#ifndef VANTOREL_TESTS_SIM_COMMAND_LINE_SUPPORT_H
#define VANTOREL_TESTS_SIM_COMMAND_LINE_SUPPORT_H

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "scratch_dir.h"

namespace command_line_test {

using test_support::Entries;
using test_support::ReadFile;
using test_support::ScratchDir;
using test_support::WriteFile;

struct SimRun {
    int status;  // exit status, -1 when killed by a signal
    std::string out, err;
};

// The built runner, quoted for the shell.
inline std::string Sim() { return "'" + std::string(VANTOREL_BUILD_DIR) + "/bin/vantorel-sim'"; }

// A shell command line inside dir, its standard output and error captured
// unless it redirects them itself.
inline SimRun RunShell(const ScratchDir& dir, const std::string& command) {
    const std::string out = dir / ".run.out", err = dir / ".run.err";
    const std::string cmd = "cd '" + dir.path().string() + "' && { " + command + " ; } >" + out + " 2>" + err;
    const int rc = std::system(cmd.c_str());
    SimRun r{WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, ReadFile(out), ReadFile(err)};
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return r;
}

// `vantorel-sim ARGS` (shell words) inside dir; stdin from stdin_file when
// given, standard output to stdout_to when given (e.g. "/dev/full"; ">log"
// appends to log).
inline SimRun RunSim(const ScratchDir& dir, const std::string& args, const std::string& stdin_file = "",
                     const std::string& stdout_to = "") {
    const std::string out = dir / ".run.out", err = dir / ".run.err";
    std::string cmd = "cd '" + dir.path().string() + "' && " + Sim() + " " + args + " <" +
                      (stdin_file.empty() ? "/dev/null" : stdin_file) + " >" +
                      (stdout_to.empty() ? out : stdout_to) + " 2>" + err;
    const int rc = std::system(cmd.c_str());
    SimRun r{WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, ReadFile(out), ReadFile(err)};
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return r;
}

}  // namespace command_line_test

#endif
