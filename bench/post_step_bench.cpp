// One clbkPostStep with the recorder off, against a baseline that makes the
// same host and sound calls, in the same order, with constant arguments. The
// vessel flies level at 120 m/s with the engine at half throttle and nothing
// moving: the steady state of a long flight. The difference between the two
// is what the module's own logic costs.
#include <benchmark/benchmark.h>

#include <array>
#include <stdexcept>

#include "bench_support.h"

namespace {

namespace layout = vantorel::layout;
using vantorel_bench::Animation;
using A = layout::Animation;

typedef int (*PlayWaveFn)(int id, int slot, int loop, int volume, int frequency);
typedef int (*SoundIdFn)(OBJHANDLE vessel);

THRUSTER_HANDLE MainThruster(const host::VesselState& v) {
    for (const host::ThrusterGroupRec& g : v.thruster_groups)
        if (g.type == THGROUP_MAIN && !g.members.empty()) return g.members.front();
    throw std::runtime_error("the vessel defined no main thruster group");
}

constexpr VECTOR3 Point(const std::array<double, 3>& p) { return VECTOR3{p[0], p[1], p[2]}; }

struct Flight {
    Flight() : rt(vantorel_bench::MakeRuntime()) {
        index = rt->create_vessel();
        rt->set_airspeed_mps(120.0);
        rt->set_altitude_m(1500.0);
        rt->set_aoa_rad(0.05);
        rt->set_thruster_level(0.5);
        rt->set_focus_heading_rad(0.0);
        rt->begin_frame();
        rt->step(0.02, 0.02, 51544.5);  // first step settles the one-off work
        vessel = rt->object(index);
        main_thruster = MainThruster(rt->vessel(index));
        // The library gives a vessel the same id on every request.
        sound_id = vantorel_bench::SoundEntry<SoundIdFn>("GetVesselSoundID3")(vessel->GetHandle());
        play = vantorel_bench::SoundEntry<PlayWaveFn>("PlayVesselWaveOBSound3");
    }
    std::unique_ptr<host::Runtime> rt;
    int index = 0;
    VESSEL2* vessel = nullptr;
    THRUSTER_HANDLE main_thruster = nullptr;
    int sound_id = -1;
    PlayWaveFn play = nullptr;
};

// The calls one steady post-step makes, as its trace lists them.
void BaselineCalls(const VESSEL2& v, THRUSTER_HANDLE th, int sound_id, PlayWaveFn play) {
    static constexpr VECTOR3 td[3] = {Point(layout::kTouchdownGearDown[0]), Point(layout::kTouchdownGearDown[1]),
                                      Point(layout::kTouchdownGearDown[2])};
    static constexpr VECTOR3 eye = Point(layout::kEyePoint_m);
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
    v.SetAnimation(Animation(A::nose_steer), 0.5);
    benchmark::DoNotOptimize(v.GroundContact());
    benchmark::DoNotOptimize(v.GetThrusterLevel(th));
    v.SetAnimation(Animation(A::throttle), 0.5);
    v.SetControlSurfaceLevel(AIRCTRL_FLAP, 0.0);
    benchmark::DoNotOptimize(v.GetThrusterLevel(th));
    benchmark::DoNotOptimize(v.GetThrusterLevel(th));
    benchmark::DoNotOptimize(oapiCameraInternal());
    benchmark::DoNotOptimize(play(sound_id, layout::kSoundEngine, 1, 255, 16000));
    benchmark::DoNotOptimize(v.GetThrusterLevel(th));
    benchmark::DoNotOptimize(v.GetAltitude());
    v.SetAnimation(Animation(A::alt_needle), 0.1);
    v.SetAnimation(Animation(A::alt_units_drum), 0.0);
    v.SetAnimation(Animation(A::alt_tens_drum), 0.0);
    v.SetAnimation(Animation(A::alt_hundreds_drum), 0.5);
    v.SetAnimation(Animation(A::alt_thousands_drum), 0.1);
    v.SetAnimation(Animation(A::alt_ten_thousands_drum), 0.0);
    benchmark::DoNotOptimize(v.GetAOA());
    v.SetAnimation(Animation(A::aoa_needle), 0.3);
    benchmark::DoNotOptimize(oapiGetFocusHeading(&heading));
    v.SetAnimation(Animation(A::heading_card), 0.001);
    benchmark::DoNotOptimize(v.GetAirspeed());
    v.SetAnimation(Animation(A::airspeed_needle), 0.8);
    benchmark::DoNotOptimize(v.GetBank());
    v.SetAnimation(Animation(A::bank_needle), 0.5);
    benchmark::DoNotOptimize(oapiGetTimeAcceleration());
    v.SetAnimation(Animation(A::clock_fast), 4e-4);
    v.SetAnimation(Animation(A::clock_mid), 0.0);
    v.SetAnimation(Animation(A::clock_slow), 0.0);
    benchmark::DoNotOptimize(v.GetFuelMass());
    v.SetAnimation(Animation(A::fuel_needle), 0.0);
    benchmark::DoNotOptimize(v.GetAOA());
    v.SetCameraOffset(_V(eye.x, eye.y + 0.025, eye.z));
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
    BaselineCalls(*f.vessel, f.main_thruster, f.sound_id, f.play);
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
    for (auto _ : state) BaselineCalls(*f.vessel, f.main_thruster, f.sound_id, f.play);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PostStepBaseline);

}  // namespace
