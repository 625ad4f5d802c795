// The built-in demonstration flight, written as a pilot script so that it is
// also the format's worked example (docs/flying.md shows the same text).
#include "fly/flight.h"

namespace vantorel_sim::fly {

const char* BuiltinFlightText() {
    return R"(# Vantorel demonstration flight: from the runway to the ceiling and back.
# A line is a trigger and a command. Triggers: a time (12.5, 1:30),
# '+N' (N s after the line before ran) or 'when QUANTITY OP VALUE'.

start heading 80            # parked 10 degrees off the runway heading
start fuel 12000            # part-full tank, so the refill shows

0      key K                # lights on
1      key J                # refill request while standing still
2      key 0                # open the canopy ...
9      key 0                # ... and close it again
16     key F                # flaps down for take-off
16     hold heading 90      # steer onto the runway heading during the roll
19     throttle 100%        # full throttle, brakes are off
when airspeed_mps >= 62   hold pitch 12     # rotate
when altitude_m > 40      key G             # gear up
+4     key F                # flaps up
+1     hold vs 60           # climb at 60 m/s
when altitude_m > 1500    warp 10
when altitude_m >= 17000  throttle 0        # the envelope has cut the engine
+0     hold pitch -25       # nose down to get the air flowing again
when altitude_m < 16000   throttle 40%
+0     hold vs -50          # descent
+0     hold heading 270     # and turn back
when altitude_m < 3000    warp 1
+0     hold speed 110
+0     hold vs -15
when altitude_m < 1500    key G             # gear down
+3     key F                # flaps down
when altitude_m < 600     hold speed 80
+0     hold vs -6
when altitude_m < 25      hold vs -1.5      # flare
when ground_contact >= 1  throttle 0        # touchdown
+0     hold pitch 0         # lower the nose wheel
+2     brakes on
when airspeed_mps <= 0    key 0             # stopped: open the canopy
+7     end
)";
}

}  // namespace vantorel_sim::fly
