// The blocks of the per-step update. post_step.cpp runs them in their order;
// each lives in a file named after what it does. Every motion advances by a
// fixed amount per call: the step length is never used.
#ifndef VANTOREL_FLIGHT_STEP_BLOCKS_H
#define VANTOREL_FLIGHT_STEP_BLOCKS_H

#include "lifecycle/vantorel_vessel.h"

namespace vantorel {

// Airspeed bound below which the couple, wheel rolling, airborne centring,
// the angle-of-attack needle and the eye-point shift do nothing (exclusive).
constexpr double MIN_MOVING_AIRSPEED = 0.6;
constexpr double TIME_ACCELERATION_LIMIT = 10.0;

void CapTimeAcceleration();                                        // 1
void ApplyFlightEnvelope(const VantorelVessel& vessel);            // 3
void AddGroundSteeringCouple(const VantorelVessel& vessel, double v);  // 4
void SelectTouchdownPoints(const VantorelVessel& vessel);          // 5
void RollWheels(const VantorelVessel& vessel, double v);           // 6
void SteerNoseWheel(const VantorelVessel& vessel, double v);       // 7
void MoveGearAndLever(const VantorelVessel& vessel);               // 8
void MoveThrottleLever(const VantorelVessel& vessel);              // 9
void MoveCanopyAndFlaps(const VantorelVessel& vessel);             // 10
void UpdateEngineSound(const VantorelVessel& vessel);              // 11
void ApplyLightSwitch(const VantorelVessel& vessel);               // 12
void UpdateAltimeter(const VantorelVessel& vessel);                // 13
void UpdateFlightIndicators(const VantorelVessel& vessel, double v);  // 14, without the clock
void UpdateClock(const VantorelVessel& vessel);                    // 14, the clock hands
void UpdateFuelGaugeAndRefuel(const VantorelVessel& vessel);       // 15
void ShiftEyePoint(const VantorelVessel& vessel, double v);        // 16

}  // namespace vantorel

#endif
