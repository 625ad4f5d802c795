#include "definition/airfoil_coeffs.h"

#include <Orbitersdk.h>

namespace vantorel {

const double vertical_cl[VERTICAL_TABLE_SIZE] = {
    0.1,  0.17, 0.2,   0.2,   0.17,  0.1,   0.0,  -0.11, -0.24, -0.38, -0.5, -0.5, -0.02,
    0.6355, 0.63, 0.46, 0.28, 0.13, 0.0, -0.16, -0.26, -0.29, -0.24, -0.1, 0.1};
const double vertical_cm[VERTICAL_TABLE_SIZE] = {
    0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.002, 0.004, 0.0025, 0.0012,
    0.0, -0.0012, -0.0007, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
const double horizontal_cl[HORIZONTAL_TABLE_SIZE] = {
    0.0, 0.2, 0.3, 0.2, 0.0, -0.2, -0.3, -0.2, 0.0, 0.2, 0.3, 0.2, 0.0, -0.2, -0.3, -0.2, 0.0};

namespace {

constexpr double VERTICAL_STEP_DEG = 15.0;
constexpr double HORIZONTAL_STEP_DEG = 22.5;
constexpr double VERTICAL_ASPECT = 2.266;
constexpr double HORIZONTAL_ASPECT = 1.5;
constexpr double EFFICIENCY = 0.6;
constexpr double VERTICAL_PROFILE_DRAG = 0.06;
constexpr double HORIZONTAL_PROFILE_DRAG = 0.02;

// The angular step and its reciprocal, computed on the first call and kept for
// the module's life, so that every look-up multiplies instead of dividing.
struct TableStep {
    bool ready;
    double step;
    double reciprocal;
};

TableStep vertical_step;
TableStep horizontal_step;

inline double Reciprocal(TableStep& s, double step_deg) {
    if (!s.ready) {
        s.step = step_deg * RAD;
        s.reciprocal = 1.0 / s.step;
        s.ready = true;
    }
    return s.reciprocal;
}

// Index of the interval an angle at table position x falls in. The clamp is
// done in floating point before the conversion, so that NaN or a huge x never
// reaches an out-of-range integer conversion: x at or beyond the last entry
// uses the last interval, x below 0 (and NaN) the first. For every x in range
// this equals truncation toward zero.
inline int IntervalIndex(double x, int last_interval) {
    if (x >= last_interval) return last_interval;
    if (!(x >= 0.0)) return 0;
    return static_cast<int>(x);
}

}  // namespace

void vertical_lift_coeffs(double aoa, double /*M*/, double /*Re*/, double* cl, double* cm, double* cd) {
    const double x = (aoa + PI) * Reciprocal(vertical_step, VERTICAL_STEP_DEG);
    const int i = IntervalIndex(x, VERTICAL_TABLE_SIZE - 2);
    const double f = x - i;
    *cl = vertical_cl[i] + f * (vertical_cl[i + 1] - vertical_cl[i]);
    *cm = vertical_cm[i] + f * (vertical_cm[i + 1] - vertical_cm[i]);
    *cd = oapiGetInducedDrag(*cl, VERTICAL_ASPECT, EFFICIENCY) + VERTICAL_PROFILE_DRAG;
}

void horizontal_lift_coeffs(double beta, double /*M*/, double /*Re*/, double* cl, double* cm, double* cd) {
    const double x = (beta + PI) * Reciprocal(horizontal_step, HORIZONTAL_STEP_DEG);
    const int i = IntervalIndex(x, HORIZONTAL_TABLE_SIZE - 2);
    const double f = x - i;
    *cl = horizontal_cl[i] + f * (horizontal_cl[i + 1] - horizontal_cl[i]);
    *cm = 0.0;
    *cd = oapiGetInducedDrag(*cl, HORIZONTAL_ASPECT, EFFICIENCY) + HORIZONTAL_PROFILE_DRAG;
}

}  // namespace vantorel
