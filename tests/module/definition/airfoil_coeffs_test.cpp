// The two coefficient functions: table values, interpolation, the ends of the
// host's angle range, and inputs no table can hold.
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "module_test_support.h"
#include "definition/airfoil_coeffs.h"

namespace vantorel_test {
namespace {

using vantorel::horizontal_lift_coeffs;
using vantorel::vertical_lift_coeffs;

struct Coeffs {
    double cl, cm, cd;
};

Coeffs Vertical(double aoa, double mach = 0.5, double re = 1e7) {
    Coeffs c{};
    vertical_lift_coeffs(aoa, mach, re, &c.cl, &c.cm, &c.cd);
    return c;
}

Coeffs Horizontal(double beta, double mach = 0.5, double re = 1e7) {
    Coeffs c{};
    horizontal_lift_coeffs(beta, mach, re, &c.cl, &c.cm, &c.cd);
    return c;
}

// The host's induced drag: cl^2 / (pi A e).
double Induced(double cl, double aspect) { return cl * cl / (PI * aspect * 0.6); }

constexpr double kTol = 1e-12;

struct VerticalCase {
    const char* name;
    double aoa_deg;
    double cl, cm;
};

const VerticalCase kVerticalCases[] = {
    {"zero", 0.0, -0.02, 0.0012},
    {"table maximum at 15", 15.0, 0.6355, 0.0},
    {"halfway 7.5", 7.5, 0.30775, 0.0006},
    {"-15", -15.0, -0.5, 0.0025},
    {"-37.5 between -45 and -30", -37.5, -0.44, 0.003},
    {"90", 90.0, 0.0, 0.0},
    {"172.5 between 165 and 180", 172.5, 0.0, 0.0},
};

TEST(VerticalLiftCoeffs, TableValuesAndInterpolation) {
    for (const VerticalCase& c : kVerticalCases) {
        SCOPED_TRACE(c.name);
        const Coeffs got = Vertical(c.aoa_deg * RAD);
        EXPECT_NEAR(got.cl, c.cl, kTol);
        EXPECT_NEAR(got.cm, c.cm, kTol);
        EXPECT_NEAR(got.cd, Induced(got.cl, 2.266) + 0.06, kTol);
    }
}

TEST(VerticalLiftCoeffs, ZeroLandsAHairBelowItsEntryAndStillGivesTheEntry) {
    // (0 + PI) times the stored reciprocal of the 15-degree step lies just
    // below 12: the interpolation uses interval 11 with f very close to 1.
    const double x = PI * (1.0 / (15 * RAD));
    EXPECT_LT(x, 12.0);
    EXPECT_NEAR(Vertical(0.0).cl, -0.02, kTol);
}

TEST(VerticalLiftCoeffs, FullPrecisionPiAtBothEndsStaysInTheTable) {
    EXPECT_NEAR(Vertical(std::numbers::pi).cl, 0.1, kTol);
    EXPECT_NEAR(Vertical(-std::numbers::pi).cl, 0.1, kTol);
    EXPECT_NEAR(Vertical(std::numbers::pi).cm, 0.0, kTol);
}

TEST(VerticalLiftCoeffs, AnglesBeyondTheTableExtendTheEndIntervals) {
    // Last interval runs from 0.1 at +180 back to -0.1 at +165: slope 0.2 per 15 degrees.
    EXPECT_NEAR(Vertical(195 * RAD).cl, 0.3, 1e-9);
    // First interval: 0.1 at -180 rising to 0.17 at -165.
    EXPECT_NEAR(Vertical(-195 * RAD).cl, 0.03, 1e-9);
}

TEST(VerticalLiftCoeffs, MachAndReynoldsHaveNoEffect) {
    const Coeffs base = Vertical(0.3, 0.0, 0.0);
    for (double mach : {0.0, 0.9, 5.0, std::nan("")}) {
        for (double re : {0.0, 1e3, 1e9, -1.0}) {
            const Coeffs c = Vertical(0.3, mach, re);
            EXPECT_EQ(c.cl, base.cl);
            EXPECT_EQ(c.cm, base.cm);
            EXPECT_EQ(c.cd, base.cd);
        }
    }
}

TEST(VerticalLiftCoeffs, RepeatedCallsAreBitIdentical) {
    for (double aoa : {-3.0, -0.2, 0.0, 0.1, 1.7}) {
        const Coeffs a = Vertical(aoa), b = Vertical(aoa);
        EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0) << aoa;
    }
}

TEST(HorizontalLiftCoeffs, SideslipValues) {
    const Coeffs zero = Horizontal(0.0);
    EXPECT_NEAR(zero.cl, 0.0, kTol);
    EXPECT_EQ(zero.cm, 0.0);
    EXPECT_NEAR(zero.cd, Induced(zero.cl, 1.5) + 0.02, kTol);
    EXPECT_NEAR(Horizontal(45 * RAD).cl, 0.3, kTol);
    EXPECT_NEAR(Horizontal(-45 * RAD).cl, -0.3, kTol);
    EXPECT_NEAR(Horizontal(11.25 * RAD).cl, 0.1, kTol);
    EXPECT_NEAR(Horizontal(std::numbers::pi).cl, 0.0, kTol);
    EXPECT_NEAR(Horizontal(-std::numbers::pi).cl, 0.0, kTol);
    EXPECT_EQ(Horizontal(1.0, 3.0, 5e6).cl, Horizontal(1.0, 0.1, 1.0).cl);
}

// Angles no table covers: the index is clamped before it becomes an integer,
// so nothing is read outside the tables. Run under the sanitizer build this
// also proves the conversion is defined.
TEST(AirfoilCoeffs, NonFiniteAndHugeAnglesStayInsideTheTables) {
    const double inf = std::numeric_limits<double>::infinity();
    const Coeffs nan_v = Vertical(NAN), nan_h = Horizontal(NAN);
    EXPECT_TRUE(std::isnan(nan_v.cl) && std::isnan(nan_v.cm) && std::isnan(nan_v.cd));
    EXPECT_TRUE(std::isnan(nan_h.cl) && std::isnan(nan_h.cd));
    EXPECT_EQ(nan_h.cm, 0.0);
    for (double angle : {inf, -inf, 1e300, -1e300, 1e10, -1e10}) {
        SCOPED_TRACE(angle);
        const Coeffs v = Vertical(angle), h = Horizontal(angle);
        // The straight line of an end interval: its sign follows that interval's slope.
        if (angle > 0) {
            EXPECT_GT(v.cl, 0.0);  // last interval rises from -0.1 to 0.1
            EXPECT_GT(h.cl, 0.0);  // last interval rises from -0.2 to 0.0
        } else {
            EXPECT_LT(v.cl, 0.0);  // first interval rises from 0.1 to 0.17: extended backwards it falls
            EXPECT_LT(h.cl, 0.0);  // first interval rises from 0.0 to 0.2
        }
        // The moment table is flat at both ends; only an infinite f times 0 gives NaN.
        if (std::isfinite(angle)) {
            EXPECT_EQ(v.cm, 0.0);
        }
    }
}

}  // namespace
}  // namespace vantorel_test
