// Speed of the host: single VESSEL calls with the recorder off, and whole
// frames of the test module with the recorder off and on (written to
// /dev/null). Run by hand: build/<preset>/bin/host_trace_bench.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "host_test_util.h"

namespace {

struct Host {
    Host() {
        rt.set_mesh_dir(host_test::make_mesh_dir("bench"));
        rt.load_sound_library(HOST_TEST_SOUND);
        rt.load_module(HOST_TEST_MODULE);
        index = rt.create_vessel();
        rt.set_thruster_level(0.5);
        rt.set_airspeed_mps(120.0);
    }
    host::Runtime rt;
    int index = 0;
};

void BM_VesselCallRecorderOff(benchmark::State& state) {
    Host h;
    VESSEL2* v = h.rt.object(h.index);
    double x = 0;
    for (auto _ : state) {
        v->SetAnimation(0, x);
        x += v->GetAirspeed() * 1e-9;
        benchmark::DoNotOptimize(x);
    }
    state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(BM_VesselCallRecorderOff);

void BM_FrameRecorderOff(benchmark::State& state) {
    Host h;
    double t = 0;
    for (auto _ : state) {
        t += 0.02;
        h.rt.run_frame(t, 0.02, 51544.5 + t / 86400);
    }
}
BENCHMARK(BM_FrameRecorderOff);

void BM_FrameRecorderOn(benchmark::State& state) {
    Host h;
    std::FILE* sink = std::fopen("/dev/null", "w");
    host::trace::set_sink(sink);
    host::trace::enable(true);
    double t = 0;
    for (auto _ : state) {
        t += 0.02;
        h.rt.run_frame(t, 0.02, 51544.5 + t / 86400);
        h.rt.write_state_event(h.index);
    }
    host::trace::enable(false);
    host::trace::clear_sink();
    std::fclose(sink);
}
BENCHMARK(BM_FrameRecorderOn);

}  // namespace

BENCHMARK_MAIN();
