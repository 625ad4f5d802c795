#include "flightmodel/atmosphere.h"

#include <cmath>

namespace host::flight {

namespace {

constexpr double kEarthRadiusM = 6356766.0;  // for geometric to geopotential height
constexpr double kGasConstant = 287.053;     // J/(kg K), dry air
constexpr double kGamma = 1.4;
constexpr double kG0 = 9.80665;  // the standard's own gravity, not the flight model's

struct Layer {
    double base_m;    // geopotential height of the layer's base
    double base_k;    // temperature there
    double lapse;     // K per m
    double base_pa;   // pressure there
};

// Base pressures follow from the lapse rates; written out so no start-up work is needed.
constexpr Layer kLayers[] = {
    {0.0, 288.15, -0.0065, 101325.0},   {11000.0, 216.65, 0.0, 22632.06},
    {20000.0, 216.65, 0.001, 5474.889}, {32000.0, 228.65, 0.0028, 868.0187},
    {47000.0, 270.65, 0.0, 110.9063},   {51000.0, 270.65, -0.0028, 66.93887},
    {71000.0, 214.65, -0.002, 3.956420},
};
constexpr double kTopM = 84852.0;  // geopotential top of the last layer

}  // namespace

Atmosphere StandardAtmosphere(double altitude_m) {
    const double z = altitude_m > 0 ? altitude_m : 0.0;
    const double h = kEarthRadiusM * z / (kEarthRadiusM + z);
    const Layer* l = &kLayers[0];
    for (const Layer& c : kLayers) {
        if (h >= c.base_m) l = &c;
    }
    const double hl = h < kTopM ? h : kTopM;
    const double t = l->base_k + l->lapse * (hl - l->base_m);
    double p;
    if (l->lapse == 0.0) {
        p = l->base_pa * std::exp(-kG0 * (hl - l->base_m) / (kGasConstant * l->base_k));
    } else {
        p = l->base_pa * std::pow(t / l->base_k, -kG0 / (kGasConstant * l->lapse));
    }
    if (h > kTopM) p *= std::exp(-kG0 * (h - kTopM) / (kGasConstant * t));  // isothermal tail
    Atmosphere a;
    a.temperature_k = t;
    a.pressure_pa = p;
    a.density_kgpm3 = p / (kGasConstant * t);
    a.speed_of_sound_mps = std::sqrt(kGamma * kGasConstant * t);
    // Sutherland's law.
    a.viscosity_pas = 1.458e-6 * t * std::sqrt(t) / (t + 110.4);
    return a;
}

}  // namespace host::flight
