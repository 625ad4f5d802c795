#include "common/text_escape.h"

#include <cstdio>

namespace vantorel_sim {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool InRange(unsigned char c, unsigned lo, unsigned hi) { return c >= lo && c <= hi; }

std::string Hex(const char* format, unsigned value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

// Characters a terminal may act on or that reorder the displayed line.
bool IsUnsafeForTerminal(char32_t cp) {
    return cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp <= 0x9F) || (cp >= 0x202A && cp <= 0x202E) ||
           (cp >= 0x2066 && cp <= 0x2069) || cp == 0x200E || cp == 0x200F || cp == 0x061C;
}

bool IsXmlChar(char32_t cp) {
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) || (cp >= 0xE000 && cp <= 0xFFFD) ||
           (cp >= 0x10000 && cp <= 0x10FFFF);
}

// Calls emit(step, bytes) for every step of text.
template <class Emit>
void ForEachStep(std::string_view text, Emit emit) {
    for (std::size_t pos = 0; pos < text.size();) {
        const Utf8Step step = DecodeUtf8(text, pos);
        emit(step, text.substr(pos, step.length));
        pos += step.length;
    }
}

}  // namespace

Utf8Step DecodeUtf8(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) return {true, lead, 1};
    // Table of well-formed sequences: the lead byte fixes the length and the
    // range of the second byte, which is what rules out overlong forms,
    // surrogates and code points above U+10FFFF.
    std::size_t need = 0;
    unsigned lo = 0x80, hi = 0xBF;
    char32_t cp = 0;
    if (InRange(lead, 0xC2, 0xDF)) {
        need = 2, cp = lead & 0x1Fu;
    } else if (InRange(lead, 0xE0, 0xEF)) {
        need = 3, cp = lead & 0x0Fu;
        if (lead == 0xE0) lo = 0xA0;
        if (lead == 0xED) hi = 0x9F;
    } else if (InRange(lead, 0xF0, 0xF4)) {
        need = 4, cp = lead & 0x07u;
        if (lead == 0xF0) lo = 0x90;
        if (lead == 0xF4) hi = 0x8F;
    } else {
        return {false, 0, 1};
    }
    for (std::size_t i = 1; i < need; ++i) {
        if (pos + i >= text.size()) return {false, 0, i};
        const auto c = static_cast<unsigned char>(text[pos + i]);
        if (!(i == 1 ? InRange(c, lo, hi) : InRange(c, 0x80, 0xBF))) return {false, 0, i};
        cp = (cp << 6) | (c & 0x3Fu);
    }
    return {true, cp, need};
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const Utf8Step step = DecodeUtf8(text, pos);
        if (!step.valid) return false;
        pos += step.length;
    }
    return true;
}

std::string ToValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    ForEachStep(text, [&](const Utf8Step& step, std::string_view bytes) {
        out += step.valid ? bytes : kReplacement;
    });
    return out;
}

std::string MessageSafe(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    ForEachStep(text, [&](const Utf8Step& step, std::string_view bytes) {
        if (!step.valid) {
            for (char c : bytes) out += Hex("\\x%02x", static_cast<unsigned char>(c));
        } else if (!IsUnsafeForTerminal(step.code_point)) {
            out += bytes;
        } else if (step.code_point == '\n') {
            out += "\\n";
        } else if (step.code_point == '\r') {
            out += "\\r";
        } else if (step.code_point == '\t') {
            out += "\\t";
        } else if (step.code_point < 0x80) {
            out += Hex("\\x%02x", static_cast<unsigned>(step.code_point));
        } else {
            out += Hex("\\u%04x", static_cast<unsigned>(step.code_point));
        }
    });
    return out;
}

std::string XmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    ForEachStep(text, [&](const Utf8Step& step, std::string_view bytes) {
        if (!step.valid) {
            out += kReplacement;
            return;
        }
        switch (step.code_point) {
            case '&': out += "&amp;"; return;
            case '<': out += "&lt;"; return;
            case '>': out += "&gt;"; return;
            case '"': out += "&quot;"; return;
            case '\'': out += "&apos;"; return;
            case '\r': out += "&#13;"; return;
            default: break;
        }
        if (IsXmlChar(step.code_point)) out += bytes;
    });
    return out;
}

std::string CsvField(std::string_view text) {
    const std::string valid = ToValidUtf8(text);
    if (valid.find_first_of(",\"\r\n") == std::string::npos) return valid;
    std::string out = "\"";
    for (char c : valid) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    out.reserve(text.size() + 2);
    ForEachStep(text, [&](const Utf8Step& step, std::string_view bytes) {
        if (!step.valid) {
            out += kReplacement;
            return;
        }
        switch (step.code_point) {
            case '"': out += "\\\""; return;
            case '\\': out += "\\\\"; return;
            case '\n': out += "\\n"; return;
            case '\r': out += "\\r"; return;
            case '\t': out += "\\t"; return;
            case '\b': out += "\\b"; return;
            case '\f': out += "\\f"; return;
            default: break;
        }
        if (step.code_point < 0x20) {
            out += Hex("\\u%04x", static_cast<unsigned>(step.code_point));
        } else {
            out += bytes;
        }
    });
    out += '"';
    return out;
}

}  // namespace vantorel_sim
