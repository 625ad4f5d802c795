// How the fly job tells, from outside, that the vessel has left its flight
// envelope: above the ceiling or too fast, the module cuts the engine and sets
// every drag coefficient to the outside value.
#ifndef VANTOREL_SIM_FLY_ENVELOPE_H
#define VANTOREL_SIM_FLY_ENVELOPE_H

namespace vantorel_sim::fly {

inline constexpr double kEnvelopeCeilingM = 17000.0;
inline constexpr double kOutsideDragCoefficient = 999.0;

}  // namespace vantorel_sim::fly

#endif
