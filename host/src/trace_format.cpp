// Values as the trace writes them: doubles that read back bit-exactly,
// escaped strings, vectors, and host handles by kind and index.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "src/runtime_impl.h"
#include "src/trace_format.h"

namespace host::detail {

namespace {

// The shortest round-trip text of a double is the dearest part of an event,
// and a trace writes the same values again and again (touchdown points,
// drag coefficients, levels at rest): the last text per slot is kept, keyed
// by the value's bits. The recorder runs on one thread.
struct DoubleText {
    std::uint64_t bits = 0;
    unsigned char size = 0;  // 0: empty slot
    char text[31];
};
constexpr int kDoubleTextSlotsLog2 = 9;
DoubleText g_double_texts[1 << kDoubleTextSlotsLog2];

void format_finite(std::string& out, double v) {
    char tmp[40];
    auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
    std::size_t n = static_cast<std::size_t>(r.ptr - tmp);
    // Integral values still read back as doubles.
    if (std::memchr(tmp, '.', n) == nullptr && std::memchr(tmp, 'e', n) == nullptr) {
        tmp[n++] = '.';
        tmp[n++] = '0';
    }
    out.append(tmp, n);
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    DoubleText& slot = g_double_texts[(bits * 0x9E3779B97F4A7C15ull) >> (64 - kDoubleTextSlotsLog2)];
    if (n <= sizeof slot.text) {
        slot.bits = bits;
        slot.size = static_cast<unsigned char>(n);
        std::memcpy(slot.text, tmp, n);
    }
}

}  // namespace

void put_double(std::string& out, double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    const DoubleText& slot = g_double_texts[(bits * 0x9E3779B97F4A7C15ull) >> (64 - kDoubleTextSlotsLog2)];
    if (slot.size != 0 && slot.bits == bits) {
        out.append(slot.text, slot.size);
        return;
    }
    if (std::isnan(v)) {
        out += "\"nan\"";
        return;
    }
    if (std::isinf(v)) {
        out += v > 0 ? "\"inf\"" : "\"-inf\"";
        return;
    }
    format_finite(out, v);
}

void put_int(std::string& out, std::int64_t v) {
    char tmp[24];
    auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
    out.append(tmp, static_cast<std::size_t>(r.ptr - tmp));
}

namespace {

// Characters a JSON string takes as they are: not a control character, a quote or a backslash.
struct PlainChars {
    bool plain[256];
    constexpr PlainChars() : plain() {
        for (int c = 0x20; c < 256; ++c) plain[c] = c != '"' && c != '\\';
    }
};
constexpr PlainChars kPlain;

void put_escape(std::string& out, unsigned char c) {
    switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default: {
            static const char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
}

}  // namespace

void put_string(std::string& out, const char* s) {
    out += '"';
    // Characters that need no escape are appended a run at a time.
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    for (;;) {
        const unsigned char* run = p;
        while (kPlain.plain[*p]) ++p;
        out.append(reinterpret_cast<const char*>(run), static_cast<std::size_t>(p - run));
        if (*p == 0) break;
        put_escape(out, *p++);
    }
    out += '"';
}

void put_string(std::string& out, const std::string& s) { put_string(out, s.c_str()); }

void put_vec(std::string& out, const VECTOR3& v) {
    out += '[';
    put_double(out, v.x);
    out += ", ";
    put_double(out, v.y);
    out += ", ";
    put_double(out, v.z);
    out += ']';
}

const char* kind_name(Kind k) {
    switch (k) {
        case Kind::vessel: return "vessel";
        case Kind::mesh: return "mesh";
        case Kind::airfoil: return "airfoil";
        case Kind::ctrlsurf: return "ctrlsurf";
        case Kind::dragelem: return "dragelem";
        case Kind::propellant: return "propellant";
        case Kind::thruster: return "thruster";
        case Kind::thgroup: return "thgroup";
        case Kind::component: return "component";
    }
    return "unknown";
}

void put_handle(std::string& out, const void* h) {
    if (h == nullptr) {
        out += "null";
        return;
    }
    Decoded d;
    if (!decode(h, d)) {
        // Not one of ours: the raw value, so a fault is still visible.
        char tmp[24];
        auto r = std::to_chars(tmp, tmp + sizeof tmp, reinterpret_cast<std::uintptr_t>(h), 16);
        out += "\"unknown:0x";
        out.append(tmp, static_cast<std::size_t>(r.ptr - tmp));
        out += '"';
        return;
    }
    if (d.kind == Kind::mesh) {
        const std::string* name = g_rt != nullptr ? g_rt->mesh_name(h) : nullptr;
        put_string(out, "mesh:" + (name != nullptr ? *name : std::string("?")));
        return;
    }
    out += '"';
    out += kind_name(d.kind);
    out += ':';
    put_int(out, d.v);
    if (d.kind != Kind::vessel) {
        out += ':';
        put_int(out, d.n);
    }
    out += '"';
}

}  // namespace host::detail
