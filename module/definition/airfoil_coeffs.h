// Lift, moment and drag coefficients of the vessel's two airfoils: linear
// interpolation over tables that close the whole circle of angles.
#ifndef VANTOREL_DEFINITION_AIRFOIL_COEFFS_H
#define VANTOREL_DEFINITION_AIRFOIL_COEFFS_H

namespace vantorel {

constexpr int VERTICAL_TABLE_SIZE = 25;    // -180 to +180 degrees in steps of 15
constexpr int HORIZONTAL_TABLE_SIZE = 17;  // -180 to +180 degrees in steps of 22.5

extern const double vertical_cl[VERTICAL_TABLE_SIZE];
extern const double vertical_cm[VERTICAL_TABLE_SIZE];
extern const double horizontal_cl[HORIZONTAL_TABLE_SIZE];

// Angle of attack in; Mach and Reynolds numbers are ignored.
void vertical_lift_coeffs(double aoa, double M, double Re, double* cl, double* cm, double* cd);
// Sideslip angle in; Mach and Reynolds numbers are ignored.
void horizontal_lift_coeffs(double beta, double M, double Re, double* cl, double* cm, double* cd);

}  // namespace vantorel

#endif
