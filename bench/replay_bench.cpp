// The replay of 100 000 frames of one vessel, without and with the trace
// (written to /dev/null, state events included). The script keeps the vessel
// busy: gear, canopy, flaps and lights cycle, readings change every 500 frames.
#include <benchmark/benchmark.h>

#include <cstdio>

#include <Orbitersdk.h>

#include "bench_support.h"
#include "replay/replay.h"

namespace {

constexpr std::int64_t FRAMES = 100000;
constexpr std::int64_t FRAMES_PER_LINE = 500;

vantorel_sim::replay::ReplayScript BusyScript() {
    vantorel_sim::replay::ReplayScript script;
    script.source = "bench";
    const std::uint32_t keys[] = {OAPI_KEY_G, OAPI_KEY_0, OAPI_KEY_F, OAPI_KEY_K};
    for (std::int64_t i = 0; i < FRAMES / FRAMES_PER_LINE; ++i) {
        vantorel_sim::replay::ScriptFrame f;
        f.line = static_cast<int>(i + 1);
        f.airspeed = 50.0 + static_cast<double>(i % 40) * 10.0;
        f.altitude = 100.0 + static_cast<double>(i) * 70.0;
        f.thrust = static_cast<double>(i % 5) / 4.0;
        f.ground = false;
        f.keys.push_back({keys[i % 4], true});
        f.repeat = FRAMES_PER_LINE;
        script.frames.push_back(f);
    }
    return script;
}

vantorel_sim::replay::ReplayOptions Options() {
    vantorel_sim::replay::ReplayOptions o;
    o.module_path = vantorel_bench::LibDir() + "/Vantorel.so";
    o.sound_path = vantorel_bench::LibDir() + "/OrbiterSound.dll";
    return o;
}

void Replay(benchmark::State& state, bool trace) {
    const vantorel_sim::replay::ReplayScript script = BusyScript();
    std::FILE* sink = trace ? std::fopen("/dev/null", "w") : nullptr;
    vantorel_sim::replay::ReplayOptions options = Options();
    options.trace = sink;
    for (auto _ : state) {
        const vantorel_sim::replay::ReplaySummary s = vantorel_sim::replay::RunReplay(script, options);
        if (s.frames < FRAMES) state.SkipWithError("the replay ran fewer frames than the script holds");
    }
    if (sink) std::fclose(sink);
    state.SetItemsProcessed(state.iterations() * FRAMES);
}

void BM_Replay100kFrames(benchmark::State& state) { Replay(state, false); }
BENCHMARK(BM_Replay100kFrames)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_Replay100kFramesTrace(benchmark::State& state) { Replay(state, true); }
BENCHMARK(BM_Replay100kFramesTrace)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
