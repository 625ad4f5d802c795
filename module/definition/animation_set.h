// The vessel's 25 animations and their 44 components, as tables.
#ifndef VANTOREL_DEFINITION_ANIMATION_SET_H
#define VANTOREL_DEFINITION_ANIMATION_SET_H

#include <Orbitersdk.h>

#include "lifecycle/vantorel_vessel.h"
#include "vantorel/vessel_layout.h"

namespace vantorel {

constexpr int COMPONENT_COUNT = 44;
// Component 2 (index 1), the nose-wheel spin, is the one record per vessel.
constexpr int NOSE_WHEEL_ROLL_COMPONENT = 1;

struct AnimationSpec {
    UINT VantorelVessel::*handle;
    double initial_state;
};

struct ComponentSpec {
    int animation;  // index into animation_table: layout::Index of its animation
    bool translate;
    UINT mesh;
    const UINT* groups;
    UINT group_count;
    VECTOR3 ref;  // rotation only
    VECTOR3 axis;  // rotation only
    double angle_deg;  // rotation only, with its stored sign
    VECTOR3 shift;  // translation only
    double state0, state1;
    int parent;  // component index of the parent, or -1
};

// In creation order: entry i is layout::Animation i.
extern const AnimationSpec animation_table[layout::kAnimationCount];
// In order of addition.
extern const ComponentSpec component_table[COMPONENT_COUNT];

// The module-wide record of component index i (all but the nose-wheel spin),
// or null before the first vessel built it.
MGROUP_TRANSFORM* SharedComponentRecord(int i);

}  // namespace vantorel

#endif
