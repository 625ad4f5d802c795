// clbkPostStep: the one place that lists the per-step blocks in their order.
#include "flight/step_blocks.h"

namespace vantorel {

void VantorelVessel::clbkPostStep(double /*simt*/, double /*simdt*/, double /*mjd*/) {
    CapTimeAcceleration();                   // 1
    const double v = GetAirspeed();          // 2: the sample blocks 4, 6, 7, 14 and 16 share
    ApplyFlightEnvelope(*this);              // 3
    // Blocks 4 to 7 read gear_pos before block 8 moves the gear, so a gear
    // motion reaches the couple, touchdown points and wheels one step later.
    AddGroundSteeringCouple(*this, v);       // 4
    SelectTouchdownPoints(*this);            // 5
    RollWheels(*this, v);                    // 6
    SteerNoseWheel(*this, v);                // 7
    MoveGearAndLever(*this);                 // 8
    MoveThrottleLever(*this);                // 9
    // Block 10 sets the flap surface level from the position after this step's motion.
    MoveCanopyAndFlaps(*this);               // 10
    UpdateEngineSound(*this);                // 11
    ApplyLightSwitch(*this);                 // 12
    UpdateAltimeter(*this);                  // 13
    UpdateIndicatorsAndClock(*this, v);      // 14
    UpdateFuelGaugeAndRefuel(*this);         // 15: the gauge reads the mass before the refill
    ShiftEyePoint(*this, v);                 // 16
}

}  // namespace vantorel
