// The flight page: one self-contained HTML file that replays a flight in 3D
// (the exterior glTF, the track, the milestones and the summary, with the
// page's script and style embedded at build time).
#ifndef VANTOREL_SIM_FLY_FLIGHT_PAGE_H
#define VANTOREL_SIM_FLY_FLIGHT_PAGE_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fly/flight.h"
#include "fly/sample_thinning.h"

namespace vantorel_sim::fly {

// Rows the page keeps: at most kTrackRateHz a simulated second, and at most
// max_rows over the flight (thinned evenly beyond). Every row kept is a row
// the CSV has, so the page's numbers are the CSV's.
class TrackRecorder {
public:
    static constexpr double kTrackRateHz = 20;
    explicit TrackRecorder(std::size_t max_rows) : thinning_(max_rows) {}
    void Add(const Sample& s);
    std::vector<Sample> Take();

private:
    SampleThinning thinning_;
    double next_s_ = -1e300;
    std::optional<Sample> last_;  // the flight's last row, kept whatever its time
};

struct FlightPageContent {
    std::vector<std::uint8_t> glb;  // the exterior
    std::vector<Sample> track;
    std::vector<Milestone> milestones;
    std::string summary;  // as WriteSummary prints it
    std::string source;   // the script's name
};

// Whether this build embeds the page's script (node and npm were found).
bool FlightPageAvailable();

std::string FlightPageHtml(const FlightPageContent& content);

}  // namespace vantorel_sim::fly

#endif
