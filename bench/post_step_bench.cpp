// One clbkPostStep with the recorder off, against a baseline that makes the
// same host and sound calls, in the same order, with constant arguments. The
// vessel flies level at 120 m/s with the engine at half throttle and nothing
// moving: the steady state of a long flight. The difference between the two
// is what the module's own logic costs.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "sound/sound_connector.h"

namespace {

using vantorel::VantorelVessel;

struct Flight {
    Flight() : rt(vantorel_bench::MakeRuntime(true)) {
        index = rt->create_vessel();
        rt->set_airspeed_mps(120.0);
        rt->set_altitude_m(1500.0);
        rt->set_aoa_rad(0.05);
        rt->set_thruster_level(0.5);
        rt->set_focus_heading_rad(0.0);
        rt->begin_frame();
        rt->step(0.02, 0.02, 51544.5);  // first step settles the one-off work
        vessel = static_cast<VantorelVessel*>(rt->object(index));
    }
    std::unique_ptr<host::Runtime> rt;
    int index = 0;
    VantorelVessel* vessel = nullptr;
};

typedef int (*PlayWaveFn)(int id, int slot, int loop, int volume, int frequency);

// The calls one steady post-step makes, as its trace lists them.
void BaselineCalls(const VantorelVessel& v, THRUSTER_HANDLE th, PlayWaveFn play) {
    static const VECTOR3 td[3] = {{0.0, -1.55953, 4.604074}, {-1.740703, -1.55953, -0.3588331},
                                  {1.740703, -1.55953, -0.3588331}};
    double heading = 0;
    benchmark::DoNotOptimize(oapiGetTimeAcceleration());
    benchmark::DoNotOptimize(v.GetAirspeed());
    benchmark::DoNotOptimize(v.GetAirspeed());
    benchmark::DoNotOptimize(v.GetAltitude());
    benchmark::DoNotOptimize(v.GetAirspeed());
    benchmark::DoNotOptimize(v.GetAltitude());
    v.SetCW(0.3, 0.3, 0.67, 0.92);
    v.SetThrusterMax0(th, 440000.0);
    benchmark::DoNotOptimize(v.GroundContact());
    v.SetTouchdownPoints(td[0], td[1], td[2]);
    benchmark::DoNotOptimize(v.GroundContact());
    benchmark::DoNotOptimize(v.GroundContact());
    v.SetAnimation(v.anim_nose_steer, 0.5);
    benchmark::DoNotOptimize(v.GroundContact());
    benchmark::DoNotOptimize(v.GetThrusterLevel(th));
    v.SetAnimation(v.anim_throttle, 0.5);
    v.SetControlSurfaceLevel(AIRCTRL_FLAP, 0.0);
    benchmark::DoNotOptimize(v.GetThrusterLevel(th));
    benchmark::DoNotOptimize(v.GetThrusterLevel(th));
    benchmark::DoNotOptimize(oapiCameraInternal());
    benchmark::DoNotOptimize(play(v.sound_id, 1, 1, 255, 16000));
    benchmark::DoNotOptimize(v.GetThrusterLevel(th));
    benchmark::DoNotOptimize(v.GetAltitude());
    v.SetAnimation(v.anim_alt_needle, 0.1);
    v.SetAnimation(v.anim_alt_units_drum, 0.0);
    v.SetAnimation(v.anim_alt_tens_drum, 0.0);
    v.SetAnimation(v.anim_alt_hundreds_drum, 0.5);
    v.SetAnimation(v.anim_alt_thousands_drum, 0.1);
    v.SetAnimation(v.anim_alt_ten_thousands_drum, 0.0);
    benchmark::DoNotOptimize(v.GetAOA());
    v.SetAnimation(v.anim_aoa_needle, 0.3);
    benchmark::DoNotOptimize(oapiGetFocusHeading(&heading));
    v.SetAnimation(v.anim_heading_card, 0.001);
    benchmark::DoNotOptimize(v.GetAirspeed());
    v.SetAnimation(v.anim_airspeed_needle, 0.8);
    benchmark::DoNotOptimize(v.GetBank());
    v.SetAnimation(v.anim_bank_needle, 0.5);
    benchmark::DoNotOptimize(oapiGetTimeAcceleration());
    v.SetAnimation(v.anim_clock_fast, 4e-4);
    v.SetAnimation(v.anim_clock_mid, 0.0);
    v.SetAnimation(v.anim_clock_slow, 0.0);
    benchmark::DoNotOptimize(v.GetFuelMass());
    v.SetAnimation(v.anim_fuel_needle, 0.0);
    benchmark::DoNotOptimize(v.GetAOA());
    v.SetCameraOffset(_V(0.0, 0.665, 2.71));
}

PlayWaveFn PlayEntry() {
    return reinterpret_cast<PlayWaveFn>(reinterpret_cast<void (*)()>(vantorel::SoundEntryTable[1]));
}

// Both benchmarks report how many host calls one run makes; the baseline
// refuses to run when it no longer matches the module.
long CallsOfOneStep(Flight& f) {
    vantorel_bench::CallCounter counter;
    f.vessel->clbkPostStep(0.04, 0.02, 51544.5);
    return counter.count();
}

long CallsOfOneBaseline(Flight& f) {
    vantorel_bench::CallCounter counter;
    BaselineCalls(*f.vessel, vantorel::shared_state.th_main, PlayEntry());
    return counter.count();
}

void BM_PostStep(benchmark::State& state) {
    Flight f;
    state.counters["host_calls"] = static_cast<double>(CallsOfOneStep(f));
    double t = 0.04;
    for (auto _ : state) {
        t += 0.02;
        f.vessel->clbkPostStep(t, 0.02, 51544.5);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PostStep);

void BM_PostStepBaseline(benchmark::State& state) {
    Flight f;
    const long module_calls = CallsOfOneStep(f);
    const long baseline_calls = CallsOfOneBaseline(f);
    if (baseline_calls != module_calls) {
        state.SkipWithError("baseline makes a different number of host calls than clbkPostStep");
        return;
    }
    state.counters["host_calls"] = static_cast<double>(baseline_calls);
    const THRUSTER_HANDLE th = vantorel::shared_state.th_main;
    const PlayWaveFn play = PlayEntry();
    for (auto _ : state) BaselineCalls(*f.vessel, th, play);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PostStepBaseline);

}  // namespace
