// The built-in demonstration flight with the recorder off and no telemetry
// kept: host flight model plus module, frame after frame. Reports simulated
// seconds per wall-clock (CPU) second and the cost of one frame.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "flightmodel/flight_model.h"
#include "fly/flight.h"

namespace {

void BM_FlyBuiltIn(benchmark::State& state) {
    vantorel_sim::fly::FlyOptions options;
    options.module_path = vantorel_bench::LibDir() + "/Vantorel.so";
    options.sound_path = vantorel_bench::LibDir() + "/OrbiterSound.dll";
    options.sample_rate_hz = 0;
    double simulated_s = 0;
    std::int64_t frames = 0;
    for (auto _ : state) {
        const vantorel_sim::fly::FlightResult r = vantorel_sim::fly::FlyBuiltinFlight(options);
        simulated_s += r.summary.flight_time_s;
        frames += r.summary.frames;
        if (!r.summary.landed) state.SkipWithError("the built-in flight did not land");
    }
    state.counters["sim_s_per_wall_s"] = benchmark::Counter(simulated_s, benchmark::Counter::kIsRate);
    state.counters["frames"] = static_cast<double>(frames) / static_cast<double>(state.iterations());
    state.SetItemsProcessed(frames);
}
BENCHMARK(BM_FlyBuiltIn)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

namespace {

// One frame of flight model, module and host at time acceleration 1 with the
// recorder off: the vessel cruises level at 1500 m and 120 m/s, half
// throttle, hands off, no autopilot. Every 600 frames (ten simulated seconds) it
// is put back where it started, so the figure is always of the same cruise.
void BM_FlightFrame(benchmark::State& state) {
    auto rt = vantorel_bench::MakeRuntime();
    const int vessel = rt->create_vessel();
    rt->set_focus(vessel);
    host::flight::FlightModel model(*rt, vessel);
    constexpr int kFramesPerLeg = 600;
    std::int64_t frames = 0;
    for (auto _ : state) {
        if (frames % kFramesPerLeg == 0) {
            model.PlaceInFlight(1500.0, 120.0, 0.0, 0.05);
            model.controls().main_throttle = 0.5;
        }
        model.RunFrame();
        ++frames;
    }
    if (model.altitude_m() < 100.0) state.SkipWithError("the cruise lost its height: not the frame meant");
    state.SetItemsProcessed(frames);
}
BENCHMARK(BM_FlightFrame)->Unit(benchmark::kNanosecond);

}  // namespace
