// The replay engine: runs a checked script against the stand-in host, frame
// by frame, and optionally records every call and the state after each frame.
// Other commands reuse ReplayScriptPlayer to drive a runtime they set up
// themselves.
#ifndef VANTOREL_SIM_REPLAY_REPLAY_H
#define VANTOREL_SIM_REPLAY_REPLAY_H

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/library_paths.h"

#include "replay/script.h"

namespace host {
class Runtime;
}

namespace vantorel_sim::replay {

// Frame timing of the replay: frame F runs at F * 0.02 s.
constexpr double kStepLength = 0.02;
constexpr double kMjdAtZero = 51544.5;
double FrameSimTime(std::int64_t frame);
double FrameMjd(std::int64_t frame);

// The module or the sound library could not be loaded (exit status 1).
class LoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ReplayOptions {
    int vessels = 1;
    int flight_model = 1;
    bool sound = true;
    std::string module_path;        // empty: DefaultModulePath()
    std::string sound_path;         // empty: DefaultSoundLibraryPath()
    std::string mesh_dir;           // empty: the host's default
    std::FILE* trace = nullptr;     // null: nothing is recorded
    // Called every few thousand frames with the frames run so far; may
    // throw to stop the replay (a trace that can no longer be written).
    std::function<void(std::int64_t frames_run)> on_progress;
};

enum class TouchdownSet { gear_down, gear_up, other };
const char* TouchdownSetName(TouchdownSet set);
// Which of the vessel's two sets the points are, compared exactly.
TouchdownSet ClassifyTouchdown(const double points[3][3]);

// What the host holds for one vessel at the end of the last frame.
struct VesselSummary {
    int index = 0;
    std::vector<double> anim;
    double touchdown[3][3] = {};
    TouchdownSet touchdown_set = TouchdownSet::other;
    std::vector<bool> beacons;
    std::optional<double> fuel_kg;
    double cw[4] = {};
    std::vector<double> thrust_max;
    std::vector<std::string> meshes;  // "file (mode)"; "(none)" for a null handle
};

struct ReplaySummary {
    std::string source;
    std::string module_file;
    int module_version = 0;
    bool sound = false;
    std::int64_t frames = 0;
    int vessels_created = 0;
    std::vector<int> destroyed;  // by the script, in index order
    double time_acc = 1.0;       // in force for the next frame
    std::vector<VesselSummary> vessels;  // living at the end, index order
};

ReplaySummary CaptureSummary(const host::Runtime& rt, const std::string& source, std::int64_t frames);
std::string FormatSummary(const ReplaySummary& summary);

// Drives a runtime that has its module loaded and its first vessels created.
class ReplayScriptPlayer {
public:
    ReplayScriptPlayer(host::Runtime& rt, bool state_events);
    // One frame: begin it, apply the line's inputs (first repetition only),
    // deliver keys, step every living vessel, write state events.
    void RunFrame(const ScriptFrame& line, bool first_repetition);
    // Every frame of the script, repeats included.
    void RunScript(const ReplayScript& script);
    std::int64_t frames_run() const { return frames_; }
    // Called from RunScript every few thousand frames with frames_run().
    void set_progress(std::function<void(std::int64_t)> on_progress) { on_progress_ = std::move(on_progress); }

private:
    void ApplyReadings(const ScriptFrame& line);
    void ApplyPersistentReadings(int index);

    host::Runtime& rt_;
    bool state_events_;
    std::int64_t frames_ = 0;
    std::function<void(std::int64_t)> on_progress_;
    // Readings given so far; a vessel created later reports them too.
    std::optional<double> airspeed_, altitude_, aoa_, bank_, thrust_, rudder_;
    std::optional<bool> ground_;
};

// The whole replay: checks the script, loads the sound library and the
// module, creates the vessels (frame 0), runs the frames, captures the
// summary, tears down in the frame after the last. Throws ReplayScriptError
// for an unusable script (before anything is loaded or recorded) and LoadError when
// the module or the sound library cannot be loaded.
ReplaySummary RunReplay(const ReplayScript& script, const ReplayOptions& options);

}  // namespace vantorel_sim::replay

#endif
