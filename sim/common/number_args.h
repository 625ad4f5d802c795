// Strict numbers for command-line options. Decimal only ("0x10" and "010"
// are not sixteen and eight; "010" is ten), no empty value, no trailing
// text, and a range check whose message names the option and the range.
//
// Wiring with CLI11: bind the option to a std::string and parse it after
// app.parse(), e.g.
//     options.vessels = static_cast<int>(ParseIntegerArg(vessels_text, "--vessels", 0, kMaxVessels));
// Both functions throw CommandError(kExitBadInput) with a message such as
// "--vessels: expected a whole number from 0 to 100000, got '0x10'".
#ifndef VANTOREL_SIM_COMMON_NUMBER_ARGS_H
#define VANTOREL_SIM_COMMON_NUMBER_ARGS_H

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace vantorel_sim {

// A whole number within [min, max]; one leading '+' is accepted.
std::int64_t ParseIntegerArg(std::string_view text, std::string_view option, std::int64_t min, std::int64_t max);

// The values a double option accepts. NaN is never accepted; infinity only
// when allow_infinity is set and it lies within the range.
struct DoubleRange {
    double min = -std::numeric_limits<double>::infinity();
    double max = std::numeric_limits<double>::infinity();
    bool min_exclusive = false;  // "above MIN" rather than "at least MIN"
    bool allow_infinity = false;
};

// A decimal number ("12", "0.5", "1e3", and "inf" when allowed) within the
// range. A value too large for a double ("1e400") or too small to keep
// ("1e-400") is "out of range", never silently infinity or zero.
double ParseDoubleArg(std::string_view text, std::string_view option, const DoubleRange& range);

// The range as the messages word it: "from 0 to 100000", "above 0 and at
// most 14400", "at least 1".
std::string DescribeRange(std::int64_t min, std::int64_t max);
std::string DescribeRange(const DoubleRange& range);

}  // namespace vantorel_sim

#endif
