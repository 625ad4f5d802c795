// What each fuzz target runs on one input. Kept apart from the libFuzzer entry
// points so that the regression tests can run the same code on the saved
// inputs in an ordinary build. Each returns an empty string when the input ran
// clean, or a description of the first broken rule.
#ifndef VANTOREL_FUZZ_HARNESS_H
#define VANTOREL_FUZZ_HARNESS_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace vantorel_fuzz {

// Both airfoil coefficient functions on three doubles of any bit pattern.
std::string RunCoefficients(const std::uint8_t* data, std::size_t size);

// The module, linked in, driven through the host runtime by an op stream:
// creations, destructions, frames, readings, keys, clbkLoadVC. The module's
// state record is checked after every op.
std::string RunModule(const std::uint8_t* data, std::size_t size);

// Puts the module linked into the harness back into its load-time state, as
// a fresh load of the library would: each input then runs on its own.
void ResetLinkedModule();

// A replay script of any bytes: a ReplayScriptError naming a line of the
// script, or (for scripts small enough) a run of every frame with the trace on.
std::string RunReplayScript(const std::uint8_t* data, std::size_t size);

// A pilot script of any bytes: a PilotScriptError, or a short flight that ends
// for a reason it names.
std::string RunPilotScript(const std::uint8_t* data, std::size_t size);

}  // namespace vantorel_fuzz

#endif
