// The replay script: JSON Lines, one object a line, each line one frame
// (or `repeat` frames). Parsing checks every line before anything runs, so a
// bad script never produces half a trace.
#ifndef VANTOREL_SIM_REPLAY_SCRIPT_H
#define VANTOREL_SIM_REPLAY_SCRIPT_H

#include <cstdint>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vantorel_sim {
class TextReader;
}

namespace vantorel_sim::replay {

// A script the runner cannot use. line is 1-based (0: the script as a whole),
// field the offending key or empty.
class ReplayScriptError : public std::runtime_error {
public:
    ReplayScriptError(std::string source, int line, std::string field, const std::string& what);
    const std::string& source() const { return source_; }
    int line() const { return line_; }
    const std::string& field() const { return field_; }
    // The message without the "SOURCE:LINE: " prefix.
    const std::string& detail() const { return detail_; }

private:
    std::string source_;
    int line_;
    std::string field_;
    std::string detail_;
};

// Vessels one replay may create in all; each costs the host a full record.
constexpr int kMaxVessels = 100000;

// Frames a replay runs at most unless --max-frames says otherwise: about
// 55 hours of simulated time, a few seconds of work without a trace.
constexpr std::int64_t kDefaultMaxFrames = 10'000'000;
// No flag raises the limit past this: frame numbers and times stay exact.
constexpr std::int64_t kMaxFrames = 1'000'000'000'000;

struct KeyEvent {
    std::uint32_t code = 0;
    bool down = true;
};

// One script line. Unset optionals leave the host as it was.
struct ScriptFrame {
    int line = 0;  // 1-based line number in the script
    std::optional<double> airspeed, altitude, aoa, bank, thrust, rudder, fuel, time_acc;
    std::optional<bool> ground, internal;
    // heading: outer empty = not given; inner empty = null (no focus heading).
    std::optional<std::optional<double>> heading;
    std::vector<KeyEvent> keys;
    std::optional<int> focus, load_vc, create, destroy;
    std::int64_t repeat = 1;
};

struct ReplayScript {
    std::string source = "script";  // name used in messages
    std::vector<ScriptFrame> frames;
    // Frames the script runs (the sum of the repeats).
    std::int64_t frame_count() const;
};

// Reads JSON Lines; blank lines and lines starting with '#' are skipped, as
// is a byte-order mark. Throws ReplayScriptError naming the line and the
// field, also when the repeats add up to more than max_frames.
ReplayScript ParseScript(std::istream& in, const std::string& source, std::int64_t max_frames = kMaxFrames);
// The same from a bounded reader (a file or standard input), which also
// throws CommandError for what it refuses (a directory, a NUL byte, a line
// or file beyond its limits).
ReplayScript ReadScript(TextReader& reader, std::int64_t max_frames = kMaxFrames);
ReplayScript ParseScriptText(const std::string& text, const std::string& source = "script");

// Follows which vessels live through the script, starting with
// initial_vessels, and throws ReplayScriptError for a focus, destroy or
// load_vc that names no living vessel.
void CheckScript(const ReplayScript& script, int initial_vessels);

}  // namespace vantorel_sim::replay

#endif
