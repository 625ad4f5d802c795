// The airfoil coefficient functions, as the host's flight model calls them
// (through the pointers the vessel handed to CreateAirfoil), against a baseline
// that interpolates tables of the same size inline with the induced-drag
// formula written out. The baseline's tables are read back from the module's
// functions at the table nodes. Both walk the same angles, outside the
// tables' range and NaN included.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <vector>

#include "bench_support.h"

namespace {

constexpr int ANGLES = 256;
constexpr double EFFICIENCY = 0.6;

std::array<double, ANGLES> Angles() {
    std::array<double, ANGLES> a{};
    for (int i = 0; i < ANGLES; ++i) a[i] = -3.3 + 6.6 * i / (ANGLES - 1);  // a little past +-PI at the ends
    return a;
}

// One airfoil's function with what the baseline needs to stand in for it.
struct Airfoil {
    AirfoilCoeffFunc fn = nullptr;
    double step_deg = 0;
    double aspect = 0;
    double profile = 0;
    std::vector<double> cl, cm;  // cm empty: no moment
};

// The module's function of the airfoil with this orientation, its tables
// sampled at the nodes -180, -180 + step, ..., +180 degrees.
Airfoil Read(const host::VesselState& v, AIRFOIL_ORIENTATION orientation, double step_deg, bool moment) {
    Airfoil a;
    for (const host::AirfoilRec& rec : v.airfoils) {
        if (rec.orientation != orientation) continue;
        a.fn = rec.coeff;
        a.aspect = rec.aspect;
    }
    if (!a.fn) throw std::runtime_error("the vessel defined no airfoil of that orientation");
    a.step_deg = step_deg;
    const int nodes = static_cast<int>(std::lround(360.0 / step_deg)) + 1;
    for (int i = 0; i < nodes; ++i) {
        double cl = 0, cm = 0, cd = 0;
        a.fn(-PI + i * step_deg * RAD, 0.3, 1e7, &cl, &cm, &cd);
        a.cl.push_back(cl);
        if (moment) a.cm.push_back(cm);
        if (i == 0) a.profile = cd - cl * cl / (PI * a.aspect * EFFICIENCY);
    }
    return a;
}

// The same look-up with nothing outsourced: the clamp keeps it safe for any
// angle, as the module's must be.
inline void Baseline(const Airfoil& a, double angle, double* cl, double* cm, double* cd) {
    const int size = static_cast<int>(a.cl.size());
    const double x = (angle + PI) / (a.step_deg * RAD);
    int i = 0;
    if (x >= size - 2)
        i = size - 2;
    else if (x >= 0.0)
        i = static_cast<int>(x);
    const double f = x - i;
    *cl = a.cl[i] + f * (a.cl[i + 1] - a.cl[i]);
    *cm = a.cm.empty() ? 0.0 : a.cm[i] + f * (a.cm[i + 1] - a.cm[i]);
    *cd = *cl * *cl / (PI * a.aspect * EFFICIENCY) + a.profile;
}

template <typename Fn>
void Run(benchmark::State& state, Fn fn) {
    const auto angles = Angles();
    double cl = 0, cm = 0, cd = 0;
    for (auto _ : state) {
        for (double a : angles) {
            fn(a, &cl, &cm, &cd);
            benchmark::DoNotOptimize(cl);
            benchmark::DoNotOptimize(cm);
            benchmark::DoNotOptimize(cd);
        }
    }
    state.SetItemsProcessed(state.iterations() * ANGLES);
}

// The vessel whose functions are measured; the module stays loaded while it lives.
struct Vessel {
    Vessel() : rt(vantorel_bench::MakeRuntime()), index(rt->create_vessel()) {}
    Airfoil Vertical() const { return Read(rt->vessel(index), LIFT_VERTICAL, 15.0, true); }
    Airfoil Horizontal() const { return Read(rt->vessel(index), LIFT_HORIZONTAL, 22.5, false); }
    std::unique_ptr<host::Runtime> rt;
    int index;
};

void Module(benchmark::State& state, const Airfoil& a) {
    AirfoilCoeffFunc fn = a.fn;
    benchmark::DoNotOptimize(fn);
    Run(state, [fn](double angle, double* cl, double* cm, double* cd) { fn(angle, 0.3, 1e7, cl, cm, cd); });
}

void Inline(benchmark::State& state, const Airfoil& a) {
    Run(state, [&a](double angle, double* cl, double* cm, double* cd) { Baseline(a, angle, cl, cm, cd); });
}

void BM_VerticalCoeffs(benchmark::State& state) {
    Vessel v;
    Module(state, v.Vertical());
}
BENCHMARK(BM_VerticalCoeffs);

void BM_VerticalCoeffsBaseline(benchmark::State& state) {
    Vessel v;
    Inline(state, v.Vertical());
}
BENCHMARK(BM_VerticalCoeffsBaseline);

void BM_HorizontalCoeffs(benchmark::State& state) {
    Vessel v;
    Module(state, v.Horizontal());
}
BENCHMARK(BM_HorizontalCoeffs);

void BM_HorizontalCoeffsBaseline(benchmark::State& state) {
    Vessel v;
    Inline(state, v.Horizontal());
}
BENCHMARK(BM_HorizontalCoeffsBaseline);

}  // namespace
