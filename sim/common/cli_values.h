// The command line as every job reads it.
//
// Wiring, with the options added to app:
//     if (const auto status = ParseCommandLine(app, argc, argv, "fly")) return *status;
#ifndef VANTOREL_SIM_COMMON_CLI_VALUES_H
#define VANTOREL_SIM_COMMON_CLI_VALUES_H

#include <CLI/CLI.hpp>

#include <optional>

namespace vantorel_sim {

// An option or argument given with an empty value (--csv '', a script '')
// would otherwise read as "not given" and quietly fall back to a default:
// "--csv: the value is empty (give FILE, or leave the option out)".
void RefuseEmptyValues(const CLI::App& app);

// Parses argc/argv into app. Returns the status to end with when the job
// must not go on: --help printed (status 3 when standard output failed), or
// an option error or empty value said in one line on standard error as
// "vantorel-sim JOB: ... " (status 2). Returns nothing when the job goes on.
std::optional<int> ParseCommandLine(CLI::App& app, int argc, char** argv, const char* job);

}  // namespace vantorel_sim

#endif
