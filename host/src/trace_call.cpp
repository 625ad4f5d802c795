// The event builder: one call event formatted by hand into the recorder's
// buffer, arguments first, then the result.
#include "src/runtime_impl.h"
#include "src/trace_format.h"
#include "src/trace_state.h"

namespace host::trace {

namespace {
std::string& buf() { return detail::state().buf; }
}  // namespace

namespace {

// The event's start changes only with the frame or the vessel: written once for them.
const std::string& head() {
    detail::State& s = detail::state();
    if (s.head_frame != s.frame || s.head_vessel != s.vessel) {
        std::string& h = s.head;
        h = "{\"frame\": ";
        host::detail::put_int(h, s.frame);
        h += ", \"vessel\": ";
        if (s.vessel < 0) {
            h += "null";
        } else {
            host::detail::put_int(h, s.vessel);
        }
        h += ", \"call\": ";
        s.head_frame = s.frame;
        s.head_vessel = s.vessel;
    }
    return s.head;
}

}  // namespace

Call::Call(const char* name) {
    std::string& b = buf();
    b += head();
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
        buf() += ", ";
    } else {
        need_comma_ |= bit;
    }
}

Call& Call::num(double v) {
    sep();
    host::detail::put_double(buf(), v);
    return *this;
}

Call& Call::integer(std::int64_t v) {
    sep();
    host::detail::put_int(buf(), v);
    return *this;
}

Call& Call::boolean(bool v) {
    sep();
    buf() += v ? "true" : "false";
    return *this;
}

Call& Call::text(const char* s) {
    sep();
    if (s == nullptr) {
        buf() += "null";
    } else {
        host::detail::put_string(buf(), s);
    }
    return *this;
}

Call& Call::null() {
    sep();
    buf() += "null";
    return *this;
}

Call& Call::vec(const VECTOR3& v) {
    sep();
    host::detail::put_vec(buf(), v);
    return *this;
}

Call& Call::vec(const VECTOR3* v) {
    if (v == nullptr) return null();
    return vec(*v);
}

Call& Call::handle(const void* h) {
    sep();
    host::detail::put_handle(buf(), h);
    return *this;
}

Call& Call::module(HMODULE m) {
    sep();
    if (m == nullptr || host::detail::g_rt == nullptr) {
        buf() += "null";
    } else {
        host::detail::put_string(buf(), "module:" + host::detail::g_rt->module_name(m));
    }
    return *this;
}

Call& Call::prefixed(const char* prefix, const char* s) {
    sep();
    std::string t = prefix;
    t += s != nullptr ? s : "";
    host::detail::put_string(buf(), t);
    return *this;
}

Call& Call::coeff(AirfoilCoeffFunc f) {
    if (f == nullptr || host::detail::g_rt == nullptr) return null();
    sep();
    std::string& b = buf();
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
    std::string& b = buf();
    b += "{\"var\": ";
    host::detail::put_int(b, k);
    b += ", \"value\": ";
    host::detail::put_double(b, *var);
    b += '}';
    return *this;
}

Call& Call::raw(std::string_view json) {
    sep();
    buf() += json;
    return *this;
}

Call& Call::begin_array() {
    sep();
    buf() += '[';
    ++depth_;
    need_comma_ &= ~(1u << depth_);
    return *this;
}

Call& Call::end_array() {
    buf() += ']';
    --depth_;
    return *this;
}

Call& Call::begin_object() {
    sep();
    buf() += '{';
    ++depth_;
    need_comma_ &= ~(1u << depth_);
    return *this;
}

Call& Call::key(const char* k) {
    sep();
    host::detail::put_string(buf(), k);
    buf() += ": ";
    after_key_ = true;  // the value that follows takes no separator
    return *this;
}

Call& Call::end_object() {
    buf() += '}';
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
    buf() += "], \"result\": ";
    in_result_ = true;
    depth_ = 0;
    after_key_ = true;
    return *this;
}

void Call::end() {
    buf() += in_result_ ? "}\n" : "]}\n";
    detail::finish_event();
}

}  // namespace host::trace
