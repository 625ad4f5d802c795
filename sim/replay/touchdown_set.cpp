// Which touchdown set a vessel ended on: the layout's gear-down or gear-up
// points, compared exactly, or neither.
#include <array>

#include "vantorel/vessel_layout.h"
#include "replay/replay.h"

namespace vantorel_sim::replay {

namespace {

bool SamePoint(const std::array<double, 3>& a, const double b[3]) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; }

bool SameSet(const vantorel::layout::TouchdownSet& set, const double points[3][3]) {
    return SamePoint(set[0], points[0]) && SamePoint(set[1], points[1]) && SamePoint(set[2], points[2]);
}

}  // namespace

const char* TouchdownSetName(TouchdownSet set) {
    switch (set) {
        case TouchdownSet::gear_down: return "gear-down";
        case TouchdownSet::gear_up: return "gear-up";
        case TouchdownSet::other: break;
    }
    return "other";
}

TouchdownSet ClassifyTouchdown(const double points[3][3]) {
    if (SameSet(vantorel::layout::kTouchdownGearDown, points)) return TouchdownSet::gear_down;
    if (SameSet(vantorel::layout::kTouchdownGearUp, points)) return TouchdownSet::gear_up;
    return TouchdownSet::other;
}

}  // namespace vantorel_sim::replay
