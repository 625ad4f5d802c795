// Pilot scripts: plain text, one timed command a line (docs/flying.md).
//
//   start heading 80          # before the first timed line: where and how it starts
//   0       key K             # at 0 s
//   +2      key J             # 2 s after the previous line ran
//   1:30    throttle 100%     # at 90 s
//   when airspeed_mps >= 70  hold pitch 10
//
// Lines run in order; each waits for its trigger once the one before it ran.
#ifndef VANTOREL_SIM_FLY_PILOT_SCRIPT_H
#define VANTOREL_SIM_FLY_PILOT_SCRIPT_H

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vantorel_sim::fly {

// A script that cannot be flown; what() is "SOURCE:LINE: what is wrong".
class PilotScriptError : public std::runtime_error {
public:
    PilotScriptError(const std::string& source, int line, const std::string& what);
    int line() const { return line_; }
    const std::string& reason() const { return reason_; }

private:
    int line_;
    std::string reason_;
};

enum class Quantity {
    time_s,
    altitude_m,
    airspeed_mps,
    vertical_speed_mps,
    pitch_deg,
    bank_deg,
    heading_deg,
    aoa_deg,
    fuel_kg,
    ground_contact,
    distance_m,
};
enum class Compare { less, less_equal, greater, greater_equal };

struct Trigger {
    enum class Kind { at, after, when } kind = Kind::at;
    double time_s = 0;  // at: absolute; after: since the previous line ran
    Quantity quantity = Quantity::time_s;
    Compare compare = Compare::greater_equal;
    double value = 0;
};

enum class Hold { pitch, bank, vertical_speed, altitude, heading, speed };

struct Command {
    enum class Kind {
        key,       // value: host key code
        throttle,  // value 0..1
        elevator,  // pilot inputs -1..1: nose up, right wing down, nose right
        aileron,
        rudder,
        trim,
        brakes,  // 0..1
        view,    // value 1: cockpit, 0: outside
        warp,    // time-acceleration factor
        hold,    // hold + value (degrees, m/s or m)
        release, // hold, or all holds when release_all
        note,
        end,
    };
    int line = 0;
    std::string text;  // the line as written, without its comment
    Trigger trigger;
    Kind kind = Kind::note;
    double value = 0;
    Hold hold = Hold::pitch;
    bool release_all = false;
    std::string note;
};

struct PilotScript {
    std::string source;
    double start_heading_deg = 90;
    std::optional<double> start_fuel_kg;
    std::vector<Command> commands;
};

// Checks the whole text; throws PilotScriptError at the first line that is wrong.
PilotScript ParsePilotScript(std::string_view text, const std::string& source);

const char* QuantityName(Quantity q);
const char* HoldName(Hold h);
// Key letter for a host key code ("G"), or "?".
const char* KeyName(double code);

}  // namespace vantorel_sim::fly

#endif
