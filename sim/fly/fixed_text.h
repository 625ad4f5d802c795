// A number with a fixed count of decimals, as milestones and end reasons
// print it.
#ifndef VANTOREL_SIM_FLY_FIXED_TEXT_H
#define VANTOREL_SIM_FLY_FIXED_TEXT_H

#include <sstream>
#include <string>

namespace vantorel_sim::fly {

inline std::string Fixed(double v, int digits) {
    std::ostringstream o;
    o.setf(std::ios::fixed);
    o.precision(digits);
    o << v;
    return o.str();
}

}  // namespace vantorel_sim::fly

#endif
