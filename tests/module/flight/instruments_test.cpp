// Cockpit instruments, fuel gauge, refuelling, eye point and the virtual
// cockpit: the altitude text formatter by table, then each block through steps.
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "flight/altitude_text.h"
#include "module_test_support.h"

namespace vantorel_test {
namespace {

using vantorel::VantorelVessel;

struct TextCase {
    double value;
    const char* text;
};

const TextCase kTexts[] = {
    {1234.5678, "1234.57"},
    {100, "100."},
    {0.5, "0.5"},
    {123456, "123456."},
    {999999.7, "1000000."},
    {1000000, "1.e+006"},
    {1234567.8, "1.23457e+006"},
    {0.099999, "9.9999e-002"},
    {0.01, "1.e-002"},
    {0.1, "0.1"},
    {7.25, "7.25"},
    {-3, "-3."},
    {-1234.5678, "-1234.57"},
    {-0.5, "-0.5"},
    {0, "0."},
    {99.7, "99.7"},
    {100.2, "100.2"},
    {99999.96, "100000."},
    {99999.95, "99999.9"},  // the double lies just below .95
    {9999996, "1.e+007"},
    {1e308, "1.e+308"},
    {-1.7976931348623157e308, "-1.79769e+308"},
    {5e-324, "4.94066e-324"},
    {std::numeric_limits<double>::quiet_NaN(), "nan"},
    {std::numeric_limits<double>::infinity(), "inf"},
    {-std::numeric_limits<double>::infinity(), "-inf"},
};

TEST(AltitudeText, FormatsByTable) {
    for (const TextCase& c : kTexts) {
        SCOPED_TRACE(c.value);
        char buffer[vantorel::ALTITUDE_TEXT_MIN_BUFFER];
        std::memset(buffer, '#', sizeof buffer);
        const std::size_t n = vantorel::FormatAltitudeText(c.value, buffer, sizeof buffer);
        EXPECT_STREQ(buffer, c.text);
        EXPECT_EQ(n, std::strlen(c.text));
    }
}

// The C library's correctly rounded "%.*f", trimmed, as the oracle for the
// formatter's own fixed-notation digits.
std::string ReferenceFixed(double value) {
    const double m = std::fabs(value);
    const int exponent = m >= 1e5 ? 5 : m >= 1e4 ? 4 : m >= 1e3 ? 3 : m >= 100 ? 2 : m >= 10 ? 1 : m >= 1 ? 0 : -1;
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", 5 - exponent, value);
    std::string out = text;
    if (out.find('.') == std::string::npos) out += '.';
    while (out.back() == '0') out.pop_back();
    return out;
}

TEST(AltitudeText, FixedNotationRoundsLikeTheCLibrary) {
    std::mt19937_64 random(20061);
    std::uniform_real_distribution<double> exponent(-1.0, 6.0);
    std::vector<double> values;
    for (int i = 0; i < 200000; ++i) {
        double v = std::pow(10.0, exponent(random));
        if (v >= 1e6) continue;
        values.push_back(i % 2 ? v : -v);
    }
    // Decimal ties and near-ties at every digit count, and values that carry.
    for (double tie : {0.1234565, 1.234565, 12.34565, 123.4565, 1234.565, 12345.65, 123456.5, 0.9999995,
                       9.999995, 99.99995, 999.9995, 9999.995, 99999.95, 999999.5, 0.1000005, 2.5, 0.25})
        for (double v : {tie, std::nextafter(tie, 0.0), std::nextafter(tie, 1e9), -tie}) values.push_back(v);
    for (double v : values) {
        if (std::fabs(v) < 0.1 || std::fabs(v) >= 1e6) continue;
        char buffer[vantorel::ALTITUDE_TEXT_MIN_BUFFER];
        vantorel::FormatAltitudeText(v, buffer, sizeof buffer);
        ASSERT_EQ(std::string(buffer), ReferenceFixed(v)) << std::hexfloat << v;
    }
}

TEST(AltitudeText, NeverWritesPastTheBuffer) {
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    vantorel::FormatAltitudeText(-1.7976931348623157e308, buffer, 6);
    EXPECT_STREQ(buffer, "-1.79");
    EXPECT_EQ(buffer[6], '#');
}

TEST(AltitudeText, DigitsReadAsNumbersAndEverythingElseAsZero) {
    const char* text = "-1.5e+006";
    const int expected[] = {0, 1, 0, 5, 0, 0, 0, 0, 6, 0, 0, 0};
    for (int p = 0; p < 12; ++p) EXPECT_EQ(vantorel::AltitudeTextDigit(text, p), expected[p]) << p;
}

class InstrumentsTest : public WhiteBoxTest {
protected:
    void SetUp() override {
        WhiteBoxTest::SetUp();
        v = Create();
    }
    double Drum(UINT VantorelVessel::*anim) { return Anim(v, anim); }
    int v = -1;
};

TEST_F(InstrumentsTest, AltimeterInSteadyFlight) {
    runtime->set_altitude_m(1234.5678);
    Step(13);  // flags settle in one step; the needle's turn count climbs one per step
    EXPECT_NEAR(Drum(&VantorelVessel::anim_alt_units_drum), 0.4, 1e-12);
    EXPECT_NEAR(Drum(&VantorelVessel::anim_alt_tens_drum), 0.3, 1e-12);
    EXPECT_NEAR(Drum(&VantorelVessel::anim_alt_hundreds_drum), 0.2, 1e-12);
    EXPECT_NEAR(Drum(&VantorelVessel::anim_alt_thousands_drum), 0.1, 1e-12);
    EXPECT_EQ(Drum(&VantorelVessel::anim_alt_ten_thousands_drum), 0.0);
    EXPECT_EQ(state.alt_needle_turns, 12.0);
    EXPECT_NEAR(Anim(v, &VantorelVessel::anim_alt_needle), 0.345678, 1e-9);
}

TEST_F(InstrumentsTest, AltimeterCatchUpAfterAJumpPassesTheNeedleUnchanged) {
    runtime->set_altitude_m(1234.5678);
    Step();
    // The count follows by one per step, so the needle first reads beyond 1.
    EXPECT_NEAR(Anim(v, &VantorelVessel::anim_alt_needle), 12.345678, 1e-9);
    Step();
    EXPECT_NEAR(Anim(v, &VantorelVessel::anim_alt_needle), 11.345678, 1e-9);
}

TEST_F(InstrumentsTest, AltimeterLowAndNegative) {
    runtime->set_altitude_m(1234.5678);
    Step(2);
    runtime->set_altitude_m(7.25);
    Step(2);
    EXPECT_NEAR(Drum(&VantorelVessel::anim_alt_units_drum), 0.7, 1e-12);
    EXPECT_EQ(Drum(&VantorelVessel::anim_alt_tens_drum), 0.0);
    EXPECT_EQ(Drum(&VantorelVessel::anim_alt_thousands_drum), 0.0);
    EXPECT_EQ(state.alt_has_tens + state.alt_has_hundreds + state.alt_has_thousands + state.alt_has_ten_thousands, 0.0);
    runtime->set_altitude_m(-3);
    Step(30);
    EXPECT_NEAR(Drum(&VantorelVessel::anim_alt_units_drum), 0.7, 1e-12) << "kept below 0 m";
    EXPECT_EQ(state.alt_needle_turns, 0.0);
    EXPECT_NEAR(Anim(v, &VantorelVessel::anim_alt_needle), -0.03, 1e-12);
}

TEST_F(InstrumentsTest, AltimeterAboveNinetyNineThousandShowsTheFirstFiveCharacters) {
    runtime->set_altitude_m(123456);
    Step(2);
    EXPECT_NEAR(Drum(&VantorelVessel::anim_alt_units_drum), 0.5, 1e-12);
    EXPECT_NEAR(Drum(&VantorelVessel::anim_alt_tens_drum), 0.4, 1e-12);
    EXPECT_NEAR(Drum(&VantorelVessel::anim_alt_hundreds_drum), 0.3, 1e-12);
    EXPECT_NEAR(Drum(&VantorelVessel::anim_alt_thousands_drum), 0.2, 1e-12);
    EXPECT_NEAR(Drum(&VantorelVessel::anim_alt_ten_thousands_drum), 0.1, 1e-12);
}

TEST_F(InstrumentsTest, GainingADigitLeavesTheDrumsOneStepOutOfDate) {
    runtime->set_altitude_m(99.7);
    Step(2);
    runtime->set_altitude_m(100.2);
    Step();
    // Flags still say two digits: units reads position 1, tens position 0.
    EXPECT_EQ(Drum(&VantorelVessel::anim_alt_units_drum), 0.0);
    EXPECT_NEAR(Drum(&VantorelVessel::anim_alt_tens_drum), 0.1, 1e-12);
    Step();
    EXPECT_EQ(Drum(&VantorelVessel::anim_alt_units_drum), 0.0);
    EXPECT_EQ(Drum(&VantorelVessel::anim_alt_tens_drum), 0.0);
    EXPECT_NEAR(Drum(&VantorelVessel::anim_alt_hundreds_drum), 0.1, 1e-12);
}

TEST_F(InstrumentsTest, DropOfSeveralPowersOfTenReadsBeyondTheText) {
    runtime->set_altitude_m(12345);
    Step(2);
    runtime->set_altitude_m(3);
    Step();
    // Four flags set: the units drum reads position 4 of "3.", beyond the text.
    EXPECT_EQ(Drum(&VantorelVessel::anim_alt_units_drum), 0.0);
    Step();
    EXPECT_NEAR(Drum(&VantorelVessel::anim_alt_units_drum), 0.3, 1e-12);
}

struct IndicatorCase {
    const char* name;
    void (host::Runtime::*set)(double);
    double reading;
    UINT VantorelVessel::*anim;
    double expected;
};

const IndicatorCase kIndicators[] = {
    {"airspeed 0", &host::Runtime::set_airspeed_mps, 0, &VantorelVessel::anim_airspeed_needle, 1.0},
    {"airspeed 300", &host::Runtime::set_airspeed_mps, 300, &VantorelVessel::anim_airspeed_needle, 0.5},
    {"airspeed 600", &host::Runtime::set_airspeed_mps, 600, &VantorelVessel::anim_airspeed_needle, 0.0},
    {"airspeed 900", &host::Runtime::set_airspeed_mps, 900, &VantorelVessel::anim_airspeed_needle, 0.0},
    {"airspeed -5", &host::Runtime::set_airspeed_mps, -5, &VantorelVessel::anim_airspeed_needle, 1.0},
    {"bank 0", &host::Runtime::set_bank_rad, 0, &VantorelVessel::anim_bank_needle, 0.5},
    {"bank 3", &host::Runtime::set_bank_rad, 3, &VantorelVessel::anim_bank_needle, 1.0},
    {"bank -3", &host::Runtime::set_bank_rad, -3, &VantorelVessel::anim_bank_needle, 0.0},
    {"bank 4", &host::Runtime::set_bank_rad, 4, &VantorelVessel::anim_bank_needle, 1.0},
    {"bank -1.5", &host::Runtime::set_bank_rad, -1.5, &VantorelVessel::anim_bank_needle, 0.25},
};

TEST_F(InstrumentsTest, NeedlesByTable) {
    for (const IndicatorCase& c : kIndicators) {
        SCOPED_TRACE(c.name);
        (runtime.get()->*c.set)(c.reading);
        Step();
        EXPECT_NEAR(Anim(v, c.anim), c.expected, 1e-12);
    }
}

TEST_F(InstrumentsTest, AngleOfAttackNeedleOnlyWhenMoving) {
    runtime->set_aoa_rad(0.1);
    runtime->set_airspeed_mps(0.6);
    Step();
    EXPECT_EQ(Anim(v, &VantorelVessel::anim_aoa_needle), 0.0);
    runtime->set_airspeed_mps(0.61);
    runtime->set_aoa_rad(0.4);
    Step();
    EXPECT_NEAR(Anim(v, &VantorelVessel::anim_aoa_needle), 2.4, 1e-12) << "not clamped";
}

TEST_F(InstrumentsTest, HeadingCardKeepsTheLastHeadingWhenThereIsNone) {
    runtime->set_focus_heading_rad(2.0);
    Step();
    EXPECT_NEAR(Anim(v, &VantorelVessel::anim_heading_card), 0.321, 1e-12);
    runtime->set_focus_heading_rad(std::nullopt);
    Step();
    EXPECT_NEAR(Anim(v, &VantorelVessel::anim_heading_card), 0.321, 1e-12);
}

TEST_F(InstrumentsTest, FastHandWrapsInStep500AtFactorTenAnd5001AtOne) {
    const std::pair<double, int> cases[] = {{10, 500}, {1, 5001}};
    for (const auto& [factor, wrap_step] : cases) {
        SCOPED_TRACE(factor);
        state.clock_fast_pos = state.clock_mid_pos = 0;
        runtime->set_time_acceleration(factor);
        Step(wrap_step - 1);
        EXPECT_GT(state.clock_fast_pos, 0.99);
        EXPECT_EQ(state.clock_mid_pos, 0.0);
        Step();
        EXPECT_EQ(state.clock_fast_pos, 0.0);
        EXPECT_EQ(state.clock_mid_pos, 0.016666666);
    }
}

TEST_F(InstrumentsTest, MiddleHandWrapsOnItsSixtyFirstIncrement) {
    for (int i = 0; i < 60; ++i) state.clock_mid_pos += 0.016666666;
    EXPECT_LT(state.clock_mid_pos, 1.0);
    state.clock_fast_pos = 0.99999;
    runtime->set_time_acceleration(1);
    Step();
    EXPECT_EQ(state.clock_mid_pos, 0.0);
    EXPECT_EQ(state.clock_slow_pos, 0.016666666);
}

TEST_F(InstrumentsTest, NonFiniteTimeAccelerationAdvancesNoHand) {
    runtime->set_time_acceleration(1);
    Step(10);
    const double fast = state.clock_fast_pos;
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity()}) {
        runtime->set_time_acceleration(bad);
        Step();
        EXPECT_EQ(state.clock_fast_pos, fast);
        EXPECT_FALSE(std::isnan(state.clock_mid_pos));
    }
    runtime->set_time_acceleration(1);
    Step();
    EXPECT_DOUBLE_EQ(state.clock_fast_pos, fast + 0.0002) << "the clock runs on afterwards";
}

TEST_F(InstrumentsTest, FuelGaugeByTable) {
    const std::pair<double, double> cases[] = {{20000, 0.0}, {10000, 1.0 / 6}, {0, 1.0 / 3}, {25000, 0.0}, {5000, 0.25}};
    for (const auto& [mass, gauge] : cases) {
        runtime->set_fuel_mass_kg(mass);
        Step();
        EXPECT_NEAR(Anim(v, &VantorelVessel::anim_fuel_needle), gauge, 1e-12) << mass;
    }
}

TEST_F(InstrumentsTest, RefillShowsOnTheGaugeOneStepLater) {
    runtime->set_fuel_mass_kg(5000);
    state.refuel_request = 1.0;
    Step();
    EXPECT_NEAR(Anim(v, &VantorelVessel::anim_fuel_needle), 0.25, 1e-12);
    EXPECT_EQ(Host(v).propellants[0].mass_kg, 20000.0);
    EXPECT_EQ(state.refuel_request, 0.0);
    Step();
    EXPECT_EQ(Anim(v, &VantorelVessel::anim_fuel_needle), 0.0);
}

TEST_F(InstrumentsTest, EyePointByTable) {
    struct Case {
        double airspeed_mps, aoa_rad, eye_y_m;
    };
    const Case cases[] = {{100, 0.2, 0.74}, {100, 1.0, 0.973}, {100, -1.0, 0.307}, {0.6, 1.0, 0.64}, {100, 0, 0.64}};
    for (const Case& c : cases) {
        runtime->set_airspeed_mps(c.airspeed_mps);
        runtime->set_aoa_rad(c.aoa_rad);
        Step();
        const VECTOR3 eye = Host(v).camera_offset_m;
        EXPECT_EQ(eye.x, 0.0);
        EXPECT_NEAR(eye.y, c.eye_y_m, 1e-12) << c.airspeed_mps << " " << c.aoa_rad;
        EXPECT_EQ(eye.z, 2.71);
    }
}

TEST_F(InstrumentsTest, VirtualCockpitIsTheSameForAnyPositionAndResetsTheEye) {
    for (int id : {0, 7, -1}) {
        runtime->set_airspeed_mps(100);
        runtime->set_aoa_rad(0.5);
        Step();
        TraceCapture trace;
        EXPECT_TRUE(runtime->load_vc(v, id));
        EXPECT_EQ(trace.names(), (std::vector<std::string>{"SetCameraOffset", "SetCameraDefaultDirection",
                                                            "SetCameraRotationRange", "oapiVCRegisterHUD",
                                                            "oapiVCRegisterMFD", "oapiVCRegisterMFD",
                                                            "oapiVCRegisterMFD", "clbkLoadVC"}));
        const host::VesselState& h = Host(v);
        EXPECT_TRUE(SameVector(h.camera_offset_m, {0, 0.64, 2.71}));
        EXPECT_TRUE(SameVector(h.camera_default_dir, {0, 0, 1}));
        EXPECT_EQ(h.camera_range_rad[0], 60 * RAD);
        EXPECT_EQ(h.camera_range_rad[3], 40 * RAD);
        ASSERT_TRUE(h.hud.has_value());
        EXPECT_EQ(h.hud->nmesh, 1u);
        EXPECT_EQ(h.hud->ngroup, 331u);
        EXPECT_TRUE(SameVector(h.hud->hudcnt, {0, 0.64, 4.1}));
        EXPECT_EQ(h.hud->size, 0.8);
        const std::vector<json> mfds = trace.calls("oapiVCRegisterMFD");
        EXPECT_EQ(mfds[0]["args"], json::parse(R"([0, {"nmesh": 1, "ngroup": 328}])"));
        EXPECT_EQ(mfds[1]["args"], json::parse(R"([1, {"nmesh": 1, "ngroup": 329}])"));
        EXPECT_EQ(mfds[2]["args"], json::parse(R"([2, {"nmesh": 1, "ngroup": 330}])"));
    }
}

}  // namespace
}  // namespace vantorel_test
