// What `fly` writes: the summary for a person, the telemetry CSV and the plot.
#ifndef VANTOREL_SIM_FLY_REPORT_H
#define VANTOREL_SIM_FLY_REPORT_H

#include <ostream>
#include <string>
#include <vector>

#include "fly/flight.h"

namespace vantorel_sim::fly {

// "  12.3 s  lift-off at 72 m/s ..." (time as m:ss once past a minute).
std::string MilestoneLine(const Milestone& m);

void WriteSummary(std::ostream& out, const FlightResult& r);

// One header line of unit-suffixed columns, then one row per sample.
std::string CsvHeader();
std::string CsvRow(const Sample& s);
void WriteCsv(std::ostream& out, const std::vector<Sample>& samples);

// A self-contained SVG: altitude, airspeed, thrust and fuel, gear/flaps/canopy
// over time, with the milestones marked.
void WriteSvg(std::ostream& out, const FlightResult& r);

}  // namespace vantorel_sim::fly

#endif
