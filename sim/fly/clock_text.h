// How every time of a flight is printed: the summary, the milestone lines and
// the plot's title and milestone list all read the same clock.
#ifndef VANTOREL_SIM_FLY_CLOCK_TEXT_H
#define VANTOREL_SIM_FLY_CLOCK_TEXT_H

#include <cmath>
#include <cstdio>
#include <string>

namespace vantorel_sim::fly {

// The time rounded to tenths, as "857.7 s" prints it, then its whole seconds:
// 599.96 s reads 10:00 beside "600.0 s", never 9:59; 857.7 s reads 14:17.
inline double ShownSeconds(double t_s) { return std::round(t_s * 10) / 10; }

// m:ss of the shown time's whole seconds; the plot's time axis uses it alone.
inline std::string MinutesSeconds(double t_s) {
    const long long whole = static_cast<long long>(ShownSeconds(t_s));
    char buf[48];
    std::snprintf(buf, sizeof buf, "%lld:%02lld", whole / 60, whole % 60);
    return buf;
}

// "25.2 s" under a minute, "14:17" from a minute on.
inline std::string ClockText(double t_s) {
    const double shown = ShownSeconds(t_s);
    if (shown < 60) {
        char buf[48];
        std::snprintf(buf, sizeof buf, "%.1f s", shown);
        return buf;
    }
    return MinutesSeconds(t_s);
}

}  // namespace vantorel_sim::fly

#endif
