// A vessel's creation as the host performs it: ovcInit, clbkSetClassCaps,
// clbkPostCreation, with the shipped library. Vessels are made in batches and
// destroyed outside the timed part, so the pause costs little per vessel.
#include <benchmark/benchmark.h>

#include "bench_support.h"

namespace {

constexpr int BATCH = 16;

void BM_VesselCreation(benchmark::State& state) {
    auto rt = vantorel_bench::MakeRuntime();
    for (auto _ : state) {
        for (int i = 0; i < BATCH; ++i) benchmark::DoNotOptimize(rt->create_vessel());
        state.PauseTiming();
        rt->destroy_all_vessels();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * BATCH);
}
BENCHMARK(BM_VesselCreation);

}  // namespace
