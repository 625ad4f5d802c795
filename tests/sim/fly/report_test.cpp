// The summary's clock and the plot's thinning: what the user reads and sees.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <utility>

#include "fly/report.h"
#include "fly/sample_thinning.h"

namespace {

using vantorel_sim::fly::FlightResult;
using vantorel_sim::fly::Sample;
using vantorel_sim::fly::SampleThinning;

struct ClockCase {
    double flight_time_s;
    const char* shown;  // start of the flight-time line's value
};

// The clock agrees with the tenths printed beside it: truncating the seconds
// would read 9:59 next to "600.0 s".
const ClockCase kClocks[] = {
    {600.0, "10:00 (600.0 s"},         {599.96, "10:00 (600.0 s"},     {599.94, "9:59 (599.9 s"},
    {857.7, "14:17 (857.7 s"},         {857.6, "14:17 (857.6 s"},      {59.96, "1:00 (60.0 s"},
    {59.94, "59.9 s (59.9 s"},         {3600.0 - 1e-9, "60:00 (3600.0 s"},
};

class SummaryClock : public ::testing::TestWithParam<ClockCase> {};

TEST_P(SummaryClock, RoundsAsItsTenthsDo) {
    FlightResult r;
    r.summary.flight_time_s = GetParam().flight_time_s;
    std::ostringstream out;
    vantorel_sim::fly::WriteSummary(out, r);
    EXPECT_NE(out.str().find(std::string("flight time        ") + GetParam().shown), std::string::npos) << out.str();
}

INSTANTIATE_TEST_SUITE_P(Table, SummaryClock, ::testing::ValuesIn(kClocks));

// Milestone lines read the same clock as the summary: tenths first, then
// whole seconds (the plot's list prints these same strings).
TEST(MilestoneClock, RoundsAsTheSummaryDoes) {
    const std::pair<double, const char*> cases[] = {
        {25.24, "  25.2 s  x"}, {59.96, "    1:00  x"}, {315.96, "    5:16  x"}, {315.94, "    5:15  x"}, {857.7, "   14:17  x"}};
    for (const auto& [t, line] : cases) {
        vantorel_sim::fly::Milestone m;
        m.time_s = t;
        m.text = "x";
        EXPECT_EQ(vantorel_sim::fly::MilestoneLine(m), line) << t;
    }
}

Sample At(std::int64_t frame) {
    Sample s;
    s.frame = frame;
    return s;
}

TEST(SampleThinning, KeepsAllBelowTheLimit) {
    SampleThinning t(100);
    for (int i = 0; i < 99; ++i) t.Add(At(i));
    const auto rows = t.Take();
    ASSERT_EQ(rows.size(), 99u);
    for (int i = 0; i < 99; ++i) EXPECT_EQ(rows[static_cast<std::size_t>(i)].frame, i);
}

TEST(SampleThinning, StaysBoundedEvenAndKeepsFirstAndLast) {
    for (int n : {100, 101, 1000, 12345, 100000}) {
        SampleThinning t(100);
        for (int i = 0; i < n; ++i) t.Add(At(i));
        const auto rows = t.Take();
        ASSERT_LE(rows.size(), 100u) << n;
        ASSERT_GE(rows.size(), 40u) << n;
        EXPECT_EQ(rows.front().frame, 0) << n;
        EXPECT_EQ(rows.back().frame, n - 1) << n;
        // Evenly spaced apart from the last row.
        const std::int64_t step = rows[1].frame - rows[0].frame;
        for (std::size_t i = 1; i + 1 < rows.size(); ++i) EXPECT_EQ(rows[i].frame - rows[i - 1].frame, step) << n;
        EXPECT_EQ(static_cast<std::uint64_t>(step), t.stride()) << n;
    }
}

}  // namespace

// The CSV writer formats with to_chars; each field must read as printf's
// "%.*f" would write it, even for values too long for a small buffer.
TEST(CsvRow, FieldsAreFixedDecimalsInFullWhateverTheirSize) {
    const double values[] = {0.0, -0.0, 0.00049, -0.0004, 12345.6789, -1e-300, 1e300, -7.5e200};
    for (double v : values) {
        vantorel_sim::fly::Sample s;
        s.time_s = v;
        s.east_m = v;
        const std::string row = vantorel_sim::fly::CsvRow(s);
        char want[1024];
        std::snprintf(want, sizeof want, "%.3f,0,%.2f,", v, v);
        EXPECT_EQ(row.compare(0, std::strlen(want), want), 0) << v << "\n" << row;
    }
}
