// The plain host functions (oapi*, InitLib, Date2Int) as the host implements them.
#include <cctype>
#include <cstring>

#include "src/runtime_impl.h"

using host::detail::g_rt;
namespace trace = host::trace;

// ---------------------------------------------------------------------------
// Module set-up
// ---------------------------------------------------------------------------

void InitLib(HINSTANCE module) {
    if (g_rt != nullptr) g_rt->init_lib_instance = module;
    if (trace::active()) [[unlikely]]
        trace::Call("InitLib").module(module).end();
}

namespace host {

int parse_date(const char* text) {
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (text == nullptr) return 0;
    const char* p = text;
    int month = 0;
    for (int i = 0; i < 12; ++i) {
        if (std::strncmp(p, months[i], 3) == 0) month = i + 1;
    }
    if (month == 0) return 0;
    p += 3;
    auto number = [&p](int max_digits, int& out) {
        while (*p == ' ') ++p;
        int digits = 0;
        out = 0;
        while (digits < max_digits && std::isdigit(static_cast<unsigned char>(*p))) {
            out = out * 10 + (*p - '0');
            ++p;
            ++digits;
        }
        return digits > 0 && !std::isdigit(static_cast<unsigned char>(*p));
    };
    int day = 0, year = 0;
    if (!number(2, day) || day < 1 || day > 31) return 0;
    if (!number(4, year)) return 0;
    while (*p == ' ') ++p;
    if (*p != '\0') return 0;
    // The host's choice: yymmdd, so "Apr 25 2006" gives 60425.
    return (year % 100) * 10000 + month * 100 + day;
}

}  // namespace host

int Date2Int(char* date) {
    int r = (g_rt != nullptr && g_rt->has_date_override) ? g_rt->date_override : host::parse_date(date);
    if (trace::active()) [[unlikely]]
        trace::Call("Date2Int").text(date).result().integer(r).end();
    return r;
}

// ---------------------------------------------------------------------------
// Simulation
// ---------------------------------------------------------------------------

// The host's choice of the induced-drag formula: the classic
// cl^2 / (pi * A * e), with the host's own (slightly short) PI.
double oapiGetInducedDrag(double cl, double A, double e) {
    double r = cl * cl / (PI * A * e);
    if (trace::active()) [[unlikely]]
        trace::Call("oapiGetInducedDrag").num(cl).num(A).num(e).result().num(r).end();
    return r;
}

double oapiGetTimeAcceleration() {
    double r = g_rt != nullptr ? g_rt->time_acc : 1.0;
    if (trace::active()) [[unlikely]]
        trace::Call("oapiGetTimeAcceleration").result().num(r).end();
    return r;
}

void oapiSetTimeAcceleration(double warp) {
    // A request: it takes effect when the next frame begins.
    if (g_rt != nullptr) {
        g_rt->time_acc_pending = true;
        g_rt->time_acc_request = warp;
    }
    if (trace::active()) [[unlikely]]
        trace::Call("oapiSetTimeAcceleration").num(warp).end();
}

bool oapiCameraInternal() {
    bool r = g_rt != nullptr && g_rt->camera_internal;
    if (trace::active()) [[unlikely]]
        trace::Call("oapiCameraInternal").result().boolean(r).end();
    return r;
}

bool oapiGetFocusHeading(double* heading) {
    bool r = g_rt != nullptr && g_rt->has_focus_heading;
    if (r && heading != nullptr) *heading = g_rt->focus_heading_rad;
    if (trace::active()) [[unlikely]] {
        trace::Call c("oapiGetFocusHeading");
        c.result().begin_array().boolean(r);
        if (r) {
            c.num(g_rt->focus_heading_rad);
        } else {
            c.null();
        }
        c.end_array().end();
    }
    return r;
}

MESHHANDLE oapiLoadMeshGlobal(const char* fname) {
    MESHHANDLE h = nullptr;
    if (g_rt != nullptr && fname != nullptr) h = g_rt->load_mesh(fname);
    if (trace::active()) [[unlikely]]
        trace::Call("oapiLoadMeshGlobal").text(fname).result().handle(h).end();
    return h;
}

void oapiVCRegisterHUD(const VCHUDSPEC* display) {
    // Belongs to the vessel whose callback is running.
    if (g_rt != nullptr && display != nullptr) {
        int vi = trace::vessel();
        if (host::VesselState* v = vi >= 0 ? g_rt->living(static_cast<std::uint32_t>(vi)) : nullptr) {
            v->hud = *display;
            v->hud_address = display;
        }
    }
    if (trace::active()) [[unlikely]]
        trace::Call("oapiVCRegisterHUD").hud(display).end();
}

void oapiVCRegisterMFD(int mfd, const VCMFDSPEC* display) {
    if (g_rt != nullptr && display != nullptr) {
        int vi = trace::vessel();
        if (host::VesselState* v = vi >= 0 ? g_rt->living(static_cast<std::uint32_t>(vi)) : nullptr) {
            v->mfds.push_back(host::MfdRegistration{mfd, *display, display});
        }
    }
    if (trace::active()) [[unlikely]]
        trace::Call("oapiVCRegisterMFD").integer(mfd).mfd(display).end();
}
