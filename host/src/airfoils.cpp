// The module's airfoil coefficient functions, called for a flight model
// outside the module and recorded as "coeff:N".
#include "src/runtime_impl.h"
#include "src/vessel_scope.h"

namespace host {

int Runtime::Impl::coeff_index(AirfoilCoeffFunc f) {
    for (std::size_t i = 0; i < coeff_seen.size(); ++i) {
        if (coeff_seen[i] == f) return static_cast<int>(i);
    }
    coeff_seen.push_back(f);
    return static_cast<int>(coeff_seen.size() - 1);
}

namespace {

void record_coefficients(Runtime::Impl& rt, AirfoilCoeffFunc f, double aoa_rad, double mach, double reynolds,
                         const double* cl, const double* cm, const double* cd) {
    std::string name = "coeff:" + std::to_string(rt.coeff_index(f));
    trace::Call(name.c_str())
        .num(aoa_rad)
        .num(mach)
        .num(reynolds)
        .result()
        .begin_array()
        .num(*cl)
        .num(*cm)
        .num(*cd)
        .end_array()
        .end();
}

}  // namespace

void Runtime::airfoil_coefficients(int index, std::size_t airfoil, double aoa_rad, double mach, double reynolds,
                                   double* cl, double* cm, double* cd) {
    Impl& rt = *impl_;
    rt.require_module("airfoil_coefficients");
    VesselState& v = rt.living_or_throw("airfoil_coefficients", index);
    if (airfoil >= v.airfoils.size() || v.airfoils[airfoil].coeff == nullptr) [[unlikely]] {
        throw HostError("airfoil_coefficients(" + std::to_string(index) + ", " + std::to_string(airfoil) +
                        "): no airfoil with a coefficient function at this index");
    }
    if (cl == nullptr || cm == nullptr || cd == nullptr) [[unlikely]] {
        throw HostError("airfoil_coefficients: null output address");
    }
    AirfoilCoeffFunc f = v.airfoils[airfoil].coeff;
    detail::VesselScope scope(rt, index);
    f(aoa_rad, mach, reynolds, cl, cm, cd);
    if (trace::active()) [[unlikely]]
        record_coefficients(rt, f, aoa_rad, mach, reynolds, cl, cm, cd);
}

}  // namespace host
