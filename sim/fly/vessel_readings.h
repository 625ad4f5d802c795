// What the fly job reads off the vessel's record in the host: its animations
// by the published layout, its lights, and whether it is inside its flight
// envelope. Above the ceiling or too fast, the module cuts the engine and sets
// every drag coefficient to the outside value.
#ifndef VANTOREL_SIM_FLY_VESSEL_READINGS_H
#define VANTOREL_SIM_FLY_VESSEL_READINGS_H

#include <array>
#include <cstddef>

#include "vantorel/vessel_layout.h"
#include "runtime/host_runtime.h"

namespace vantorel_sim::fly {

inline constexpr double kEnvelopeCeilingM = 17000.0;
inline constexpr double kOutsideDragCoefficient = 999.0;

// 0..1; 0 for an animation the vessel has not created.
inline double AnimationState(const host::VesselState& v, vantorel::layout::Animation a) {
    const auto i = static_cast<std::size_t>(vantorel::layout::Index(a));
    return i < v.animations.size() ? v.animations[i].state : 0.0;
}

// The animations that move the exterior mesh, as Sample::exterior_states holds them.
inline constexpr std::array<vantorel::layout::Animation, 9> kExteriorAnimations = {
    vantorel::layout::Animation::nose_steer, vantorel::layout::Animation::wheel_roll,
    vantorel::layout::Animation::gear,       vantorel::layout::Animation::rudder,
    vantorel::layout::Animation::elevator,   vantorel::layout::Animation::aileron_left,
    vantorel::layout::Animation::aileron_right, vantorel::layout::Animation::canopy,
    vantorel::layout::Animation::flaps};

inline bool LightsOn(const host::VesselState& v) {
    return !v.beacons.empty() && v.beacons[0] != nullptr && v.beacons[0]->active;
}

// The drag coefficients say inside; the engine's limit says so too (below).
inline bool DragSaysInside(const host::VesselState& v) { return v.cw[0] < kOutsideDragCoefficient; }

inline bool InsideEnvelope(const host::VesselState& v) {
    return DragSaysInside(v) && (v.thrusters.empty() || v.thrusters[0].max_thrust0_n > 0);
}

}  // namespace vantorel_sim::fly

#endif
