// Constants of the vessel's definition that the per-step update uses again.
// Whatever tools may know as well (meshes, eye point, touchdown sets) comes
// from the vessel's layout.
#ifndef VANTOREL_DEFINITION_VESSEL_CONSTANTS_H
#define VANTOREL_DEFINITION_VESSEL_CONSTANTS_H

#include <Orbitersdk.h>

#include <array>

#include "vantorel/vessel_layout.h"

namespace vantorel {

constexpr VECTOR3 ToVector(const std::array<double, 3>& v) { return VECTOR3{v[0], v[1], v[2]}; }

constexpr VECTOR3 COCKPIT_MESH_OFFSET = ToVector(layout::kCockpitMeshOffset_m);
constexpr VECTOR3 EYE_POINT = ToVector(layout::kEyePoint_m);
constexpr double PROPELLANT_MAX_KG = 20000.0;

constexpr VECTOR3 TOUCHDOWN_GEAR_DOWN[3] = {
    ToVector(layout::kTouchdownGearDown[0]),
    ToVector(layout::kTouchdownGearDown[1]),
    ToVector(layout::kTouchdownGearDown[2]),
};
constexpr VECTOR3 TOUCHDOWN_GEAR_UP[3] = {
    ToVector(layout::kTouchdownGearUp[0]),
    ToVector(layout::kTouchdownGearUp[1]),
    ToVector(layout::kTouchdownGearUp[2]),
};

}  // namespace vantorel

#endif
