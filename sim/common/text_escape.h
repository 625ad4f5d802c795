// Text from users (file names, script keys, notes) made safe for where it
// goes: a terminal message, SVG, CSV or JSON. None of these throws; invalid
// UTF-8 never passes through unchanged.
#ifndef VANTOREL_SIM_COMMON_TEXT_ESCAPE_H
#define VANTOREL_SIM_COMMON_TEXT_ESCAPE_H

#include <cstddef>
#include <string>
#include <string_view>

namespace vantorel_sim {

// One step of UTF-8 decoding at text[pos] (pos < text.size()).
// valid: code point and its length in bytes. Invalid (overlong form,
// surrogate, above U+10FFFF, stray or missing continuation byte): length is
// the maximal ill-formed subpart, at least 1, so a caller that replaces each
// invalid step by one U+FFFD follows Unicode's recommended practice.
struct Utf8Step {
    bool valid;
    char32_t code_point;  // 0 when invalid
    std::size_t length;
};
Utf8Step DecodeUtf8(std::string_view text, std::size_t pos);

bool IsValidUtf8(std::string_view text);

// Invalid sequences replaced by U+FFFD; valid text comes back unchanged.
std::string ToValidUtf8(std::string_view text);

// For terminal messages: control characters become C-style escapes
// (\n \r \t, else \xNN; C1 controls and bidirectional overrides \uNNNN) and
// each invalid byte becomes \xNN, so nothing a user typed can move the
// cursor, clear the screen or reorder the line. Printable text, quotes and
// backslashes are left alone so paths read as typed.
std::string MessageSafe(std::string_view text);

// For SVG/XML text and attribute values: & < > " ' as entities, CR as
// &#13; (a parser would fold it into LF), invalid UTF-8 as U+FFFD, and
// characters XML 1.0 does not allow (other C0 controls, U+FFFE, U+FFFF)
// dropped.
std::string XmlText(std::string_view text);

// One CSV field (RFC 4180): quoted when it holds a comma, quote, CR or LF,
// with quotes doubled; invalid UTF-8 as U+FFFD.
std::string CsvField(std::string_view text);

// A JSON string literal, quotes included: " \ and control characters
// escaped, invalid UTF-8 as U+FFFD.
std::string JsonString(std::string_view text);

}  // namespace vantorel_sim

#endif
