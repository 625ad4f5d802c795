// Values as the trace writes them: doubles that read back bit-exactly,
// escaped strings, vectors, and host handles by kind and index.
#include <charconv>
#include <cmath>
#include <cstring>

#include "runtime_impl.h"
#include "trace_format.h"

namespace host::detail {

void put_double(std::string& out, double v) {
    if (std::isnan(v)) {
        out += "\"nan\"";
        return;
    }
    if (std::isinf(v)) {
        out += v > 0 ? "\"inf\"" : "\"-inf\"";
        return;
    }
    char tmp[40];
    auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
    std::size_t n = static_cast<std::size_t>(r.ptr - tmp);
    out.append(tmp, n);
    // Integral values still read back as doubles.
    if (std::memchr(tmp, '.', n) == nullptr && std::memchr(tmp, 'e', n) == nullptr) out += ".0";
}

void put_int(std::string& out, std::int64_t v) {
    char tmp[24];
    auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
    out.append(tmp, static_cast<std::size_t>(r.ptr - tmp));
}

void put_string(std::string& out, const char* s) {
    out += '"';
    for (const char* p = s; *p != '\0'; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            default:
                if (c < 0x20) {
                    static const char hex[] = "0123456789abcdef";
                    out += "\\u00";
                    out += hex[c >> 4];
                    out += hex[c & 15];
                } else {
                    out += static_cast<char>(c);
                }
        }
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
