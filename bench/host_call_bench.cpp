// One VESSEL call through the stand-in host with the recorder off: the floor
// under every post-step figure. Whole frames with the recorder off and on are
// measured by the replay benchmarks.
#include <benchmark/benchmark.h>

#include "bench_support.h"

namespace {

void BM_HostVesselCall(benchmark::State& state) {
    auto rt = vantorel_bench::MakeRuntime();
    const int index = rt->create_vessel();
    rt->set_airspeed_mps(120.0);
    VESSEL2* v = rt->object(index);
    const UINT throttle = vantorel_bench::Animation(vantorel::layout::Animation::throttle);
    double x = 0;
    for (auto _ : state) {
        v->SetAnimation(throttle, x);
        x += v->GetAirspeed() * 1e-9;
        benchmark::DoNotOptimize(x);
    }
    state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(BM_HostVesselCall);

}  // namespace
