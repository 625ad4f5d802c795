#include "flight/altitude_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vantorel {

namespace {

constexpr int SIGNIFICANT_DIGITS = 6;

// Removes trailing zeros after the decimal point in text[0, len), keeping the
// point itself. Returns the new length.
std::size_t TrimFraction(char* text, std::size_t len) {
    const char* point = static_cast<const char*>(std::memchr(text, '.', len));
    if (!point) return len;
    while (len > 0 && text[len - 1] == '0') --len;
    return len;
}

std::size_t Copy(const char* from, char* buffer, std::size_t size) {
    std::size_t n = std::strlen(from);
    if (n >= size) n = size - 1;
    std::memcpy(buffer, from, n);
    buffer[n] = '\0';
    return n;
}

// Decimal exponent of the unrounded value's first significant digit, for the
// range that decides fixed notation; outside it only "below" or "above" matters.
int FixedExponent(double magnitude) {
    if (magnitude >= 100000.0) return 5;
    if (magnitude >= 10000.0) return 4;
    if (magnitude >= 1000.0) return 3;
    if (magnitude >= 100.0) return 2;
    if (magnitude >= 10.0) return 1;
    if (magnitude >= 1.0) return 0;
    return -1;
}


// Fixed notation with the given number of decimals, rounded as printf rounds
// the exact binary value. value * 10^decimals is exact up to half a unit in
// its last place (about 1e-10 below 1e6), so unless it lies within 1e-7 of a
// tie the nearest integer is the correctly rounded result; near a tie
// snprintf decides. Returns the length.
std::size_t FormatFixed(double value, int decimals, char* work, std::size_t size) {
    static constexpr double kPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
    const double scaled = std::fabs(value) * kPowersOfTen[decimals];
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) < 1e-7)
        return static_cast<std::size_t>(std::snprintf(work, size, "%.*f", decimals, value));
    // At most 7 digits: |value| < 1e6 with decimals = 5 - exponent.
    long digits = static_cast<long>(whole) + (fraction > 0.5 ? 1 : 0);
    char reversed[16];
    int n = 0;
    do {
        reversed[n++] = static_cast<char>('0' + digits % 10);
        digits /= 10;
    } while (digits > 0 || n <= decimals);
    std::size_t len = 0;
    if (std::signbit(value)) work[len++] = '-';
    for (int i = n - 1; i >= 0; --i) {
        work[len++] = reversed[i];
        if (i == decimals && decimals > 0) work[len++] = '.';
    }
    return len;
}

}  // namespace

std::size_t FormatAltitudeText(double value, char* buffer, std::size_t size) {
    if (size == 0) return 0;
    if (std::isnan(value)) return Copy("nan", buffer, size);
    if (std::isinf(value)) return Copy(value > 0 ? "inf" : "-inf", buffer, size);

    // Big enough for every finite double in either notation before trimming.
    char work[32];
    std::size_t len;
    const double magnitude = std::fabs(value);
    if (magnitude == 0.0) {
        len = Copy("0.", work, sizeof work);
    } else if (magnitude >= 0.1 && magnitude < 1000000.0) {
        const int decimals = SIGNIFICANT_DIGITS - 1 - FixedExponent(magnitude);
        len = FormatFixed(value, decimals, work, sizeof work);
        if (!std::memchr(work, '.', len)) work[len++] = '.';
        len = TrimFraction(work, len);
    } else {
        // "%.5e" rounds the mantissa and carries into the exponent; the
        // exponent is then rewritten with three digits.
        char mantissa[32];
        const int n = std::snprintf(mantissa, sizeof mantissa, "%.*e", SIGNIFICANT_DIGITS - 1, value);
        const char* e = static_cast<const char*>(std::memchr(mantissa, 'e', static_cast<std::size_t>(n)));
        const std::size_t mantissa_len = static_cast<std::size_t>(e - mantissa);
        std::memcpy(work, mantissa, mantissa_len);
        len = TrimFraction(work, mantissa_len);
        const int exponent = std::atoi(e + 1);
        len += static_cast<std::size_t>(std::snprintf(work + len, sizeof work - len, "e%c%03d",
                                                      exponent < 0 ? '-' : '+', std::abs(exponent)));
    }
    work[len] = '\0';
    return Copy(work, buffer, size);
}

int AltitudeTextDigit(const char* text, int p) {
    if (p < 0) return 0;
    for (int i = 0; i < p; ++i)
        if (text[i] == '\0') return 0;
    const char c = text[p];
    return c >= '0' && c <= '9' ? c - '0' : 0;
}

}  // namespace vantorel
