// One table of exit codes for every vantorel-sim job, and the error that
// carries one of them up to the job's entry point.
//
// Wiring: a job throws CommandError anywhere below its entry point and
// catches it once:
//     } catch (const CommandError& e) {
//         std::fprintf(stderr, "vantorel-sim replay: %s\n", e.what());
//         return e.exit_code();
//     }
// The blocks in this folder throw CommandError with the matching code and a
// message without the "vantorel-sim JOB: " prefix.
#ifndef VANTOREL_SIM_COMMON_EXIT_CODES_H
#define VANTOREL_SIM_COMMON_EXIT_CODES_H

#include <stdexcept>
#include <string>

namespace vantorel_sim {

enum ExitCode : int {
    kExitSuccess = 0,
    // The run itself failed: the module or sound library cannot be loaded,
    // or the host stopped the run.
    kExitRunFailed = 1,
    // Bad input: the command line, a script, or an output that would
    // overwrite an input or another output. Nothing was run or written.
    kExitBadInput = 2,
    // An output cannot be written (standard output included), found before
    // the run or while writing. No partial output file is left behind.
    kExitOutputFailed = 3,
};

// For --help footers (CLI::App::footer) and the docs; ends with a newline.
inline constexpr const char kExitCodesText[] =
    "Exit status:\n"
    "  0  success\n"
    "  1  the run failed: the module cannot be loaded or the host stopped the run\n"
    "  2  bad input: command line, script, or an output that is also an input\n"
    "  3  an output cannot be written (standard output included)\n";

// A failure that ends the job with exit_code(); what() is the message.
class CommandError : public std::runtime_error {
public:
    CommandError(ExitCode code, const std::string& message) : std::runtime_error(message), code_(code) {}
    ExitCode exit_code() const { return code_; }

private:
    ExitCode code_;
};

}  // namespace vantorel_sim

#endif
