// Angle units, the one place the host's flight model, the fly job and their
// tests take them from: a value in degrees times kRadPerDeg is in radians.
#ifndef VANTOREL_FLIGHTMODEL_UNITS_H
#define VANTOREL_FLIGHTMODEL_UNITS_H

namespace host::flight {

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kTwoPi = 2.0 * kPi;
inline constexpr double kRadPerDeg = kPi / 180.0;
inline constexpr double kDegPerRad = 180.0 / kPi;

}  // namespace host::flight

#endif
