// Command-line values every job checks the same way after parsing.
//
// Wiring, right after app.parse(argc, argv):
//     RefuseEmptyValues(app);   // throws CommandError(kExitBadInput)
#ifndef VANTOREL_SIM_COMMON_CLI_VALUES_H
#define VANTOREL_SIM_COMMON_CLI_VALUES_H

#include <CLI/CLI.hpp>

namespace vantorel_sim {

// An option or argument given with an empty value (--csv '', a script '')
// would otherwise read as "not given" and quietly fall back to a default:
// "--csv: the value is empty (give FILE, or leave the option out)".
void RefuseEmptyValues(const CLI::App& app);

}  // namespace vantorel_sim

#endif
