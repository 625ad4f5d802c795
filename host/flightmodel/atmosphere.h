// The 1976 standard atmosphere by layers, up to 86 km; above that the density
// and pressure keep falling exponentially, so the air never runs out abruptly.
#ifndef VANTOREL_FLIGHTMODEL_ATMOSPHERE_H
#define VANTOREL_FLIGHTMODEL_ATMOSPHERE_H

namespace host::flight {

struct Atmosphere {
    double temperature_k;
    double pressure_pa;
    double density_kgpm3;
    double speed_of_sound_mps;
    double viscosity_pas;  // dynamic viscosity, for the Reynolds number
};

inline constexpr double kSeaLevelPressurePa = 101325.0;
inline constexpr double kSeaLevelDensityKgpm3 = 1.225;
inline constexpr double kGravityMps2 = 9.81;

// Geometric altitude above the ground (sea level); below 0 counts as 0.
Atmosphere StandardAtmosphere(double altitude_m);

}  // namespace host::flight

#endif
