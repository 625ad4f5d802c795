// Constants shared by the ground-handling blocks.
#ifndef VANTOREL_FLIGHT_GROUND_HANDLING_H
#define VANTOREL_FLIGHT_GROUND_HANDLING_H

namespace vantorel {

constexpr double GEAR_DOWN_THRESHOLD = 0.05;  // gear_pos below: gear counts as down
constexpr double GEAR_UP_THRESHOLD = 0.95;    // gear_pos above: gear counts as up

}  // namespace vantorel

#endif
