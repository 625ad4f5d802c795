// The airfoil coefficient functions against a baseline that interpolates the
// same tables inline with the induced-drag formula written out. Both walk the
// same angles, outside the tables' range and NaN included.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>

#include "definition/airfoil_coeffs.h"
#include <Orbitersdk.h>

namespace {

using vantorel::HORIZONTAL_TABLE_SIZE;
using vantorel::VERTICAL_TABLE_SIZE;

constexpr int ANGLES = 256;

std::array<double, ANGLES> Angles() {
    std::array<double, ANGLES> a{};
    for (int i = 0; i < ANGLES; ++i) a[i] = -3.3 + 6.6 * i / (ANGLES - 1);  // a little past +-PI at the ends
    return a;
}

// The same look-up with nothing outsourced: the clamp keeps it safe for any
// angle, as the module's must be.
inline void Baseline(const double* cl_table, const double* cm_table, int size, double step_deg, double aspect,
                     double profile, double angle, double* cl, double* cm, double* cd) {
    const double x = (angle + PI) / (step_deg * RAD);
    int i = 0;
    if (x >= size - 2)
        i = size - 2;
    else if (x >= 0.0)
        i = static_cast<int>(x);
    const double f = x - i;
    *cl = cl_table[i] + f * (cl_table[i + 1] - cl_table[i]);
    *cm = cm_table ? cm_table[i] + f * (cm_table[i + 1] - cm_table[i]) : 0.0;
    *cd = *cl * *cl / (PI * aspect * 0.6) + profile;
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

// Called through a pointer, as the host's flight model calls it.
void BM_VerticalCoeffs(benchmark::State& state) {
    AirfoilCoeffFunc fn = vantorel::vertical_lift_coeffs;
    benchmark::DoNotOptimize(fn);
    Run(state, [fn](double a, double* cl, double* cm, double* cd) { fn(a, 0.3, 1e7, cl, cm, cd); });
}
BENCHMARK(BM_VerticalCoeffs);

void BM_VerticalCoeffsBaseline(benchmark::State& state) {
    Run(state, [](double a, double* cl, double* cm, double* cd) {
        Baseline(vantorel::vertical_cl, vantorel::vertical_cm, VERTICAL_TABLE_SIZE, 15.0, 2.266, 0.06, a, cl, cm, cd);
    });
}
BENCHMARK(BM_VerticalCoeffsBaseline);

void BM_HorizontalCoeffs(benchmark::State& state) {
    AirfoilCoeffFunc fn = vantorel::horizontal_lift_coeffs;
    benchmark::DoNotOptimize(fn);
    Run(state, [fn](double a, double* cl, double* cm, double* cd) { fn(a, 0.3, 1e7, cl, cm, cd); });
}
BENCHMARK(BM_HorizontalCoeffs);

void BM_HorizontalCoeffsBaseline(benchmark::State& state) {
    Run(state, [](double a, double* cl, double* cm, double* cd) {
        Baseline(vantorel::horizontal_cl, nullptr, HORIZONTAL_TABLE_SIZE, 22.5, 1.5, 0.02, a, cl, cm, cd);
    });
}
BENCHMARK(BM_HorizontalCoeffsBaseline);

}  // namespace
