#include <exception>
#include <string>
#include <string_view>

#include "fly/flight.h"
#include "fly/pilot_script.h"
#include "harness.h"

namespace vantorel_fuzz {

namespace {

// Long enough to reach the first when-triggers and for a run-away on the
// ground to show (the saved one needs 27 s), short enough for a fuzzer.
constexpr double SIMULATED_SECONDS = 30.0;

}  // namespace

std::string RunPilotScript(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    vantorel_sim::fly::PilotScript script;
    try {
        script = vantorel_sim::fly::ParsePilotScript(text, "fuzz");
    } catch (const vantorel_sim::fly::PilotScriptError& e) {
        if (e.line() < 0) return "error names line " + std::to_string(e.line());
        return {};
    }
    vantorel_sim::fly::FlyOptions options;
    options.module_path = std::string(VANTOREL_BUILD_DIR) + "/lib/Vantorel.so";
    options.sound_path = std::string(VANTOREL_BUILD_DIR) + "/lib/OrbiterSound.dll";
    options.sample_rate_hz = 0;
    options.time_limit_s = SIMULATED_SECONDS;
    try {
        const vantorel_sim::fly::FlightResult r = vantorel_sim::fly::Fly(script, options);
        if (r.summary.end_reason.empty()) return "flight ended without a reason";
    } catch (const std::exception& e) {
        return std::string("parsed script failed while flying: ") + e.what();
    }
    return {};
}

}  // namespace vantorel_fuzz
