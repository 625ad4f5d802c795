#include "common/number_args.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "common/exit_codes.h"
#include "common/text_escape.h"

namespace vantorel_sim {

namespace {

std::string Shortest(double value) {
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    char buf[32];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, result.ptr);
}

[[noreturn]] void Fail(std::string_view option, const std::string& problem) {
    throw CommandError(kExitBadInput, std::string(option) + ": " + problem);
}

std::string Quoted(std::string_view text) { return "'" + MessageSafe(text) + "'"; }

// from_chars takes no '+'; a user may still write one.
std::string_view WithoutPlus(std::string_view text) {
    if (text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
    return text;
}

}  // namespace

std::string DescribeRange(std::int64_t min, std::int64_t max) {
    if (min == std::numeric_limits<std::int64_t>::min()) return "at most " + std::to_string(max);
    if (max == std::numeric_limits<std::int64_t>::max()) return "at least " + std::to_string(min);
    return "from " + std::to_string(min) + " to " + std::to_string(max);
}

std::string DescribeRange(const DoubleRange& range) {
    const bool has_min = !(std::isinf(range.min) && range.min < 0);
    const bool has_max = !(std::isinf(range.max) && range.max > 0);
    const std::string lower = (range.min_exclusive ? "above " : "at least ") + Shortest(range.min);
    if (has_min && has_max) {
        if (!range.min_exclusive) return "from " + Shortest(range.min) + " to " + Shortest(range.max);
        return lower + " and at most " + Shortest(range.max);
    }
    if (has_min) return lower;
    if (has_max) return "at most " + Shortest(range.max);
    return "any number";
}

std::int64_t ParseIntegerArg(std::string_view text, std::string_view option, std::int64_t min, std::int64_t max) {
    const std::string expected = "expected a whole number " + DescribeRange(min, max);
    if (text.empty()) Fail(option, expected + ", got an empty value");
    const std::string_view digits = WithoutPlus(text);
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 10);
    if (end != digits.data() + digits.size() || (ec != std::errc() && ec != std::errc::result_out_of_range)) {
        Fail(option, expected + ", got " + Quoted(text));
    }
    if (ec == std::errc::result_out_of_range || value < min || value > max) {
        Fail(option, Quoted(text) + " is out of range (" + DescribeRange(min, max) + ")");
    }
    return value;
}

double ParseDoubleArg(std::string_view text, std::string_view option, const DoubleRange& range) {
    const std::string expected = "expected a number " + DescribeRange(range);
    if (text.empty()) Fail(option, expected + ", got an empty value");
    const std::string_view digits = WithoutPlus(text);
    double value = 0;
    const auto [end, ec] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::general);
    if (end != digits.data() + digits.size() || (ec != std::errc() && ec != std::errc::result_out_of_range) ||
        std::isnan(value)) {
        Fail(option, expected + ", got " + Quoted(text));
    }
    const bool below = range.min_exclusive ? !(value > range.min) : !(value >= range.min);
    if (ec == std::errc::result_out_of_range || (std::isinf(value) && !range.allow_infinity) || below ||
        value > range.max) {
        Fail(option, Quoted(text) + " is out of range (" + DescribeRange(range) + ")");
    }
    return value;
}

}  // namespace vantorel_sim
