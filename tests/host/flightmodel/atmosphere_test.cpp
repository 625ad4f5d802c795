#include <gtest/gtest.h>

#include <cmath>

#include "flightmodel/atmosphere.h"

namespace {

using host::flight::StandardAtmosphere;

TEST(Atmosphere, SeaLevelIsTheStandardDay) {
    const auto a = StandardAtmosphere(0);
    EXPECT_NEAR(a.temperature_k, 288.15, 1e-9);
    EXPECT_NEAR(a.pressure_pa, 101325.0, 1e-6);
    EXPECT_NEAR(a.density_kgpm3, 1.225, 1e-4);
    EXPECT_NEAR(a.speed_of_sound_mps, 340.29, 0.01);
    EXPECT_NEAR(a.viscosity_pas, 1.789e-5, 0.002e-5);
}

TEST(Atmosphere, BelowTheGroundCountsAsTheGround) {
    EXPECT_EQ(StandardAtmosphere(-50).pressure_pa, StandardAtmosphere(0).pressure_pa);
}

// Pressure in the troposphere follows p0 (T/T0)^(g0/(R L)); the tropopause
// value and the isothermal layer's exponential follow from it.
TEST(Atmosphere, PressureFollowsTheLapseAndIsothermalLaws) {
    const double r = 287.053, g0 = 9.80665, l = 0.0065;
    const double h5 = 5000.0 * 6356766.0 / (6356766.0 + 5000.0);  // geopotential height
    const double t5 = 288.15 - l * h5;
    EXPECT_NEAR(StandardAtmosphere(5000).pressure_pa, 101325.0 * std::pow(t5 / 288.15, g0 / (r * l)), 0.05);
    const double h11 = 11000.0, z11 = h11 * 6356766.0 / (6356766.0 - h11);
    const double p11 = 101325.0 * std::pow(216.65 / 288.15, g0 / (r * l));
    EXPECT_NEAR(StandardAtmosphere(z11).pressure_pa, p11, 0.5);
    const double z15 = 15000.0 * 6356766.0 / (6356766.0 - 15000.0);
    EXPECT_NEAR(StandardAtmosphere(z15).pressure_pa, p11 * std::exp(-g0 * 4000.0 / (r * 216.65)), 0.5);
    EXPECT_NEAR(StandardAtmosphere(z15).temperature_k, 216.65, 1e-9);
}

TEST(Atmosphere, DensityFallsSmoothlyFromTheGroundTo120Km) {
    double prev = StandardAtmosphere(0).density_kgpm3;
    for (double z = 100; z <= 120000; z += 100) {
        const auto a = StandardAtmosphere(z);
        ASSERT_GT(a.density_kgpm3, 0) << z;
        ASSERT_LT(a.density_kgpm3, prev) << z;
        // No jumps at the layer boundaries: a 100 m step changes density by under 3 %.
        ASSERT_GT(a.density_kgpm3, prev * 0.97) << z;
        prev = a.density_kgpm3;
    }
    EXPECT_NEAR(StandardAtmosphere(30000).density_kgpm3, 0.0184, 0.0003);
}

}  // namespace
