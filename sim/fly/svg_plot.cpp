#include "fly/report.h"

namespace vantorel_sim::fly {

void WriteSvg(std::ostream& out, const FlightResult& r) {
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\"/>\n";
    (void)r;
}

}  // namespace vantorel_sim::fly
