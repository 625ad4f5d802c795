// The call recorder: JSON Lines formatted by hand into one reused buffer.
#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>

#include "internal.h"

namespace host::trace {

namespace detail {
bool g_active = false;
}

namespace {

constexpr std::size_t kFlushAt = 1u << 16;

struct State {
    bool enabled = false;
    int paused = 0;
    std::string buf;
    std::FILE* file = nullptr;
    std::function<void(std::string_view)> callback;
    std::int64_t frame = 0;
    int vessel = -1;
};

State& st() {
    static State s;
    return s;
}

void update_active() {
    State& s = st();
    detail::g_active = s.enabled && s.paused == 0 && (s.file != nullptr || s.callback);
}

void drain() {
    State& s = st();
    if (s.buf.empty()) return;
    if (s.file != nullptr) {
        std::fwrite(s.buf.data(), 1, s.buf.size(), s.file);
    } else if (s.callback) {
        s.callback(s.buf);
    }
    s.buf.clear();
}

}  // namespace

void set_sink(std::FILE* out) {
    flush();
    State& s = st();
    s.callback = nullptr;
    s.file = out;
    update_active();
}

void set_sink(std::function<void(std::string_view)> out) {
    flush();
    State& s = st();
    s.file = nullptr;
    s.callback = std::move(out);
    update_active();
}

void clear_sink() {
    flush();
    State& s = st();
    s.file = nullptr;
    s.callback = nullptr;
    update_active();
}

void enable(bool on) {
    State& s = st();
    if (!on) flush();
    s.enabled = on;
    if (on && s.buf.capacity() < 2 * kFlushAt) s.buf.reserve(2 * kFlushAt);
    update_active();
}

bool enabled() { return st().enabled; }

void flush() {
    drain();
    if (st().file != nullptr) std::fflush(st().file);
}

void set_frame(std::int64_t frame) { st().frame = frame; }
std::int64_t frame() { return st().frame; }
void set_vessel(int vessel) { st().vessel = vessel; }
int vessel() { return st().vessel; }

Recording::Recording(std::FILE* out) {
    set_sink(out);
    enable(true);
}

Recording::Recording(std::function<void(std::string_view)> out) {
    set_sink(std::move(out));
    enable(true);
}

Recording::~Recording() {
    enable(false);
    clear_sink();
}

Pause::Pause() {
    ++st().paused;
    update_active();
}

Pause::~Pause() {
    --st().paused;
    update_active();
}

std::string format_double(double v) {
    std::string out;
    host::detail::put_double(out, v);
    return out;
}

std::string format_handle(const void* handle) {
    std::string out;
    host::detail::put_handle(out, handle);
    return out;
}

// --- Call -------------------------------------------------------------------

Call::Call(const char* name) {
    std::string& b = st().buf;
    b += "{\"frame\": ";
    host::detail::put_int(b, st().frame);
    b += ", \"vessel\": ";
    if (st().vessel < 0) {
        b += "null";
    } else {
        host::detail::put_int(b, st().vessel);
    }
    b += ", \"call\": ";
    host::detail::put_string(b, name);
    b += ", \"args\": [";
    depth_ = 1;
    need_comma_ = 0;
}

void Call::sep() {
    if (after_key_) {
        after_key_ = false;
        return;
    }
    std::uint32_t bit = 1u << depth_;
    if (need_comma_ & bit) {
        st().buf += ", ";
    } else {
        need_comma_ |= bit;
    }
}

Call& Call::num(double v) {
    sep();
    host::detail::put_double(st().buf, v);
    return *this;
}

Call& Call::integer(std::int64_t v) {
    sep();
    host::detail::put_int(st().buf, v);
    return *this;
}

Call& Call::boolean(bool v) {
    sep();
    st().buf += v ? "true" : "false";
    return *this;
}

Call& Call::text(const char* s) {
    sep();
    if (s == nullptr) {
        st().buf += "null";
    } else {
        host::detail::put_string(st().buf, s);
    }
    return *this;
}

Call& Call::null() {
    sep();
    st().buf += "null";
    return *this;
}

Call& Call::vec(const VECTOR3& v) {
    sep();
    host::detail::put_vec(st().buf, v);
    return *this;
}

Call& Call::vec(const VECTOR3* v) {
    if (v == nullptr) return null();
    return vec(*v);
}

Call& Call::handle(const void* h) {
    sep();
    host::detail::put_handle(st().buf, h);
    return *this;
}

Call& Call::module(HMODULE m) {
    sep();
    if (m == nullptr || host::detail::g_rt == nullptr) {
        st().buf += "null";
    } else {
        host::detail::put_string(st().buf, "module:" + host::detail::g_rt->module_name(m));
    }
    return *this;
}

Call& Call::prefixed(const char* prefix, const char* s) {
    sep();
    std::string t = prefix;
    t += s != nullptr ? s : "";
    host::detail::put_string(st().buf, t);
    return *this;
}

Call& Call::coeff(AirfoilCoeffFunc f) {
    if (f == nullptr || host::detail::g_rt == nullptr) return null();
    sep();
    std::string& b = st().buf;
    b += "\"coeff:";
    host::detail::put_int(b, host::detail::g_rt->coeff_index(f));
    b += '"';
    return *this;
}

Call& Call::drag_var(int vessel, const double* var) {
    if (var == nullptr) return null();
    int k = -1;
    // Living vessels only: a dead one's list stays released.
    host::VesselState* owner =
        host::detail::g_rt != nullptr && vessel >= 0 ? host::detail::g_rt->living(static_cast<std::uint32_t>(vessel)) : nullptr;
    if (owner != nullptr) {
        auto& seen = owner->drag_vars_seen;
        for (std::size_t i = 0; i < seen.size(); ++i) {
            if (seen[i] == var) k = static_cast<int>(i);
        }
        if (k < 0) {
            seen.push_back(var);
            k = static_cast<int>(seen.size() - 1);
        }
    }
    sep();
    std::string& b = st().buf;
    b += "{\"var\": ";
    host::detail::put_int(b, k);
    b += ", \"value\": ";
    host::detail::put_double(b, *var);
    b += '}';
    return *this;
}

Call& Call::raw(std::string_view json) {
    sep();
    st().buf += json;
    return *this;
}

Call& Call::begin_array() {
    sep();
    st().buf += '[';
    ++depth_;
    need_comma_ &= ~(1u << depth_);
    return *this;
}

Call& Call::end_array() {
    st().buf += ']';
    --depth_;
    return *this;
}

Call& Call::begin_object() {
    sep();
    st().buf += '{';
    ++depth_;
    need_comma_ &= ~(1u << depth_);
    return *this;
}

Call& Call::key(const char* k) {
    sep();
    host::detail::put_string(st().buf, k);
    st().buf += ": ";
    after_key_ = true;  // the value that follows takes no separator
    return *this;
}

Call& Call::end_object() {
    st().buf += '}';
    --depth_;
    return *this;
}

Call& Call::beacon(const BEACONLIGHTSPEC* b) {
    if (b == nullptr) return null();
    begin_object();
    key("shape").integer(b->shape);
    key("pos").vec(b->pos);
    key("col").vec(b->col);
    key("size").num(b->size);
    key("falloff").num(b->falloff);
    key("period").num(b->period);
    key("duration").num(b->duration);
    key("tofs").num(b->tofs);
    key("active").boolean(b->active);
    return end_object();
}

Call& Call::transform(const MGROUP_TRANSFORM* t) {
    if (t == nullptr) return null();
    begin_object();
    MGROUP_TRANSFORM::TYPE type = t->Type();
    key("type").text(type == MGROUP_TRANSFORM::ROTATE      ? "rotate"
                     : type == MGROUP_TRANSFORM::TRANSLATE ? "translate"
                                                           : "null");
    key("mesh").integer(t->mesh);
    key("groups").begin_array();
    if (t->grp != nullptr) {
        for (UINT i = 0; i < t->ngrp; ++i) integer(t->grp[i]);
    }
    end_array();
    if (type == MGROUP_TRANSFORM::ROTATE) {
        auto* r = static_cast<const MGROUP_ROTATE*>(t);
        key("ref").vec(r->ref);
        key("axis").vec(r->axis);
        key("angle").num(static_cast<double>(r->angle));
    } else if (type == MGROUP_TRANSFORM::TRANSLATE) {
        auto* s = static_cast<const MGROUP_TRANSLATE*>(t);
        key("shift").vec(s->shift);
    }
    return end_object();
}

Call& Call::hud(const VCHUDSPEC* h) {
    if (h == nullptr) return null();
    begin_object();
    key("nmesh").integer(h->nmesh);
    key("ngroup").integer(h->ngroup);
    key("hudcnt").vec(h->hudcnt);
    key("size").num(h->size);
    return end_object();
}

Call& Call::mfd(const VCMFDSPEC* m) {
    if (m == nullptr) return null();
    begin_object();
    key("nmesh").integer(m->nmesh);
    key("ngroup").integer(m->ngroup);
    return end_object();
}

Call& Call::result() {
    st().buf += "], \"result\": ";
    in_result_ = true;
    depth_ = 0;
    after_key_ = true;
    return *this;
}

void Call::end() {
    st().buf += in_result_ ? "}\n" : "]}\n";
    host::detail::finish_event();
}

}  // namespace host::trace

namespace host::detail {

std::string& trace_buffer() { return trace::st().buf; }

bool sink_present() { return trace::st().file != nullptr || static_cast<bool>(trace::st().callback); }

void finish_event() {
    if (trace::st().buf.size() >= trace::kFlushAt) trace::drain();
}

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
