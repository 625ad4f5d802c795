// The altimeter's text form of the altitude: six significant digits, fixed
// notation for 0.1 <= |x| < 1e6 (decided on the unrounded value), otherwise
// one digit, a point, five digits and a three-digit exponent; trailing zeros
// after the point are removed but the point stays ("100.", "1.e+006").
#ifndef VANTOREL_FLIGHT_ALTITUDE_TEXT_H
#define VANTOREL_FLIGHT_ALTITUDE_TEXT_H

#include <cstddef>

namespace vantorel {

// Longest text: "-1.23457e+308" (13 characters) plus the terminator.
constexpr std::size_t ALTITUDE_TEXT_MIN_BUFFER = 14;

// Writes the text of value into buffer (at least ALTITUDE_TEXT_MIN_BUFFER
// bytes) and returns its length. NaN and infinities become "nan", "inf" and
// "-inf". Never writes past the buffer and never allocates.
std::size_t FormatAltitudeText(double value, char* buffer, std::size_t size);

// The digit at position p of text as a number, or 0 for anything that is not
// a digit and for positions at or beyond the end.
int AltitudeTextDigit(const char* text, int p);

}  // namespace vantorel

#endif
