#include <algorithm>
#include <cmath>
#include <string>

#include <Orbitersdk.h>

#include "definition/airfoil_coeffs.h"
#include "fuzz_input.h"
#include "harness.h"

namespace vantorel_fuzz {

namespace {

// Inside the tables' range an interpolated value lies between the smallest
// and largest entry (give or take rounding); drag is never below the profile drag.
constexpr double ROUNDING = 1e-12;

std::string Check(const char* which, double angle, const double* cl_table, const double* cm_table, int n,
                  double profile, double cl, double cm, double cd) {
    if (!(angle >= -PI && angle <= PI)) return {};
    const auto [cl_lo, cl_hi] = std::minmax_element(cl_table, cl_table + n);
    if (!(cl >= *cl_lo - ROUNDING && cl <= *cl_hi + ROUNDING)) return std::string(which) + ": lift outside the table";
    if (cm_table) {
        const auto [cm_lo, cm_hi] = std::minmax_element(cm_table, cm_table + n);
        if (!(cm >= *cm_lo - ROUNDING && cm <= *cm_hi + ROUNDING)) return std::string(which) + ": moment outside the table";
    } else if (cm != 0.0) {
        return std::string(which) + ": moment not zero";
    }
    if (!(cd >= profile)) return std::string(which) + ": drag below the profile drag";
    return {};
}

}  // namespace

std::string RunCoefficients(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    const double angle = in.raw_double();
    const double mach = in.raw_double();
    const double reynolds = in.raw_double();

    double cl = -1, cm = -1, cd = -1;
    vantorel::vertical_lift_coeffs(angle, mach, reynolds, &cl, &cm, &cd);
    std::string fault = Check("vertical", angle, vantorel::vertical_cl, vantorel::vertical_cm,
                              vantorel::VERTICAL_TABLE_SIZE, 0.06, cl, cm, cd);
    if (!fault.empty()) return fault;

    cl = cm = cd = -1;
    vantorel::horizontal_lift_coeffs(angle, mach, reynolds, &cl, &cm, &cd);
    return Check("horizontal", angle, vantorel::horizontal_cl, nullptr, vantorel::HORIZONTAL_TABLE_SIZE, 0.02, cl,
                 cm, cd);
}

}  // namespace vantorel_fuzz
