#include "fly/flight.h"

#include <optional>
#include <string>

#include "fly/fixed_text.h"
#include "fly/frame_runner.h"
#include "fly/milestones.h"
#include "fly/script_player.h"
#include "fly/telemetry.h"
#include "runtime/host_runtime.h"
#include "runtime/trace.h"

namespace vantorel_sim::fly {

namespace {

// Why the flight ends after this frame; empty while it goes on.
std::string EndReason(const PilotScriptPlayer& player, const MilestoneObserver& observer,
                      const host::flight::FlightModel& model, const FlyOptions& options) {
    const double t = model.sim_time_s();
    if (player.done() && t >= player.last_fired_s() + 1.0 &&
        (observer.stopped() || (!observer.took_off() && model.parked()))) {
        return "the script is done and the aircraft is at rest";
    }
    if (player.done() && t >= player.last_fired_s() + 600.0) return "600 s after the script's last line";
    if (t >= options.time_limit_s) return "time limit of " + Fixed(options.time_limit_s, 0) + " s";
    return {};
}

// Frame after frame until a line ends the flight or EndReason says so.
std::string FlyFrames(FrameRunner& runner, PilotScriptPlayer& player, MilestoneObserver& observer, Telemetry& telemetry,
                      const FlightSummary& summary, const FlyOptions& options) {
    const host::flight::FlightModel& model = runner.model();
    std::string end_reason;
    while (end_reason.empty()) {
        player.RunDue(summary.distance_m, end_reason);
        if (!end_reason.empty()) break;
        runner.RunFrame();
        observer.Observe();
        telemetry.AfterFrame();
        if (options.on_progress && (runner.frames() & 1023) == 0) {
            options.on_progress(model.sim_time_s(), player.done_fraction());
        }
        end_reason = EndReason(player, observer, model, options);
    }
    return end_reason;
}

}  // namespace

FlightResult Fly(const PilotScript& script, const FlyOptions& options) {
    host::Runtime rt;
    std::optional<host::trace::Recording> recording;
    if (options.trace != nullptr) recording.emplace(options.trace);
    EngineSoundWatch sound(options.watch_sound);
    FrameRunner runner(rt, script, options);
    const host::flight::FlightModel& model = runner.model();

    FlightResult result;
    result.summary.source = script.source;
    result.summary.fuel_start_kg = model.fuel_kg();
    MilestoneLog log(model, options.on_milestone, result.milestones);
    MilestoneObserver observer(model, rt, log, result.summary);
    PilotScriptPlayer player(script, rt, model, runner.pilot(), log);
    Telemetry telemetry(model, rt, sound, options.sample_rate_hz, options.keep_samples ? &result.samples : nullptr,
                        options.on_sample);

    const std::string end_reason = FlyFrames(runner, player, observer, telemetry, result.summary, options);
    telemetry.Finish();
    observer.Finish();
    CloseSummary(result.summary, model, end_reason);
    runner.Close();
    return result;
}

PilotScript BuiltinFlight() { return ParsePilotScript(BuiltinFlightText(), "built-in flight"); }

FlightResult FlyBuiltinFlight(const FlyOptions& options) { return Fly(BuiltinFlight(), options); }

}  // namespace vantorel_sim::fly
