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

void CapTimeAcceleration();
void ApplyFlightEnvelope(const VantorelVessel& vessel);
void AddGroundSteeringCouple(const VantorelVessel& vessel, double v);
void SelectTouchdownPoints(const VantorelVessel& vessel);
void RollWheels(const VantorelVessel& vessel, double v);
void SteerNoseWheel(const VantorelVessel& vessel, double v);
void MoveGearAndLever(const VantorelVessel& vessel);
void MoveThrottleLever(const VantorelVessel& vessel);
void MoveCanopyAndFlaps(const VantorelVessel& vessel);
void UpdateEngineSound(const VantorelVessel& vessel);
void ApplyLightSwitch(const VantorelVessel& vessel);
void UpdateAltimeter(const VantorelVessel& vessel);
// The angle-of-attack, heading, airspeed and bank indicators, then the clock.
void UpdateIndicatorsAndClock(const VantorelVessel& vessel, double v);
void UpdateFuelGaugeAndRefuel(const VantorelVessel& vessel);
void ShiftEyePoint(const VantorelVessel& vessel, double v);

// The clock's three hands; run by UpdateIndicatorsAndClock.
void UpdateClock(const VantorelVessel& vessel);

}  // namespace vantorel

#endif
