#include "flight/step_blocks.h"

namespace vantorel {

// The factor is global to the simulation; a factor above the limit is brought
// down in the first step that sees it. Exactly 10 is left alone.
void CapTimeAcceleration() {
    if (oapiGetTimeAcceleration() > TIME_ACCELERATION_LIMIT) oapiSetTimeAcceleration(TIME_ACCELERATION_LIMIT);
}

}  // namespace vantorel
