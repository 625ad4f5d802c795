// Constants of the vessel's definition that the per-step update uses again.
#ifndef VANTOREL_DEFINITION_VESSEL_CONSTANTS_H
#define VANTOREL_DEFINITION_VESSEL_CONSTANTS_H

#include <Orbitersdk.h>

namespace vantorel {

constexpr UINT COCKPIT_MESH_INDEX = 1;
constexpr VECTOR3 COCKPIT_MESH_OFFSET = {0.0, 0.2, 4.5};
constexpr VECTOR3 EYE_POINT = {0.0, 0.64, 2.71};
constexpr double PROPELLANT_MAX_KG = 20000.0;

constexpr VECTOR3 TOUCHDOWN_GEAR_DOWN[3] = {
    {0.0, -1.55953, 4.604074},
    {-1.740703, -1.55953, -0.3588331},
    {1.740703, -1.55953, -0.3588331},
};
constexpr VECTOR3 TOUCHDOWN_GEAR_UP[3] = {
    {0.0, -0.4268042, 4.013654},
    {-1.518829, -0.4268042, -1.547508},
    {1.518829, -0.4268042, -1.547508},
};

}  // namespace vantorel

#endif
