#include "fly/pilot_script.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "vantorel/vessel_layout.h"

namespace vantorel_sim::fly {

PilotScriptError::PilotScriptError(const std::string& source, int line, const std::string& what)
    : std::runtime_error(source + ":" + std::to_string(line) + ": " + what), line_(line), reason_(what) {}

namespace {

struct QuantityInfo {
    const char* name;
    Quantity q;
};
constexpr QuantityInfo kQuantities[] = {
    {"time_s", Quantity::time_s},
    {"altitude_m", Quantity::altitude_m},
    {"airspeed_mps", Quantity::airspeed_mps},
    {"vertical_speed_mps", Quantity::vertical_speed_mps},
    {"pitch_deg", Quantity::pitch_deg},
    {"bank_deg", Quantity::bank_deg},
    {"heading_deg", Quantity::heading_deg},
    {"aoa_deg", Quantity::aoa_deg},
    {"fuel_kg", Quantity::fuel_kg},
    {"ground_contact", Quantity::ground_contact},
    {"distance_m", Quantity::distance_m},
};

struct HoldInfo {
    const char* name;
    Hold h;
    double lo, hi;
    const char* unit;
};
constexpr HoldInfo kHolds[] = {
    {"pitch", Hold::pitch, -60, 60, "degrees"},
    {"bank", Hold::bank, -60, 60, "degrees"},
    {"vs", Hold::vertical_speed, -200, 200, "m/s"},
    {"altitude", Hold::altitude, 0, 30000, "m"},
    {"heading", Hold::heading, 0, 360, "degrees"},
    {"speed", Hold::speed, 1, 690, "m/s"},
};

struct KeyInfo {
    const char* name;
    unsigned code;
};
constexpr KeyInfo kKeys[] = {{"G", vantorel::layout::kKeyGear},
                             {"F", vantorel::layout::kKeyFlaps},
                             {"0", vantorel::layout::kKeyCanopy},
                             {"J", vantorel::layout::kKeyRefuel},
                             {"K", vantorel::layout::kKeyLights}};

std::vector<std::string_view> Split(std::string_view s) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        std::size_t j = i;
        while (j < s.size() && s[j] != ' ' && s[j] != '\t') ++j;
        if (j > i) out.push_back(s.substr(i, j - i));
        i = j;
    }
    return out;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::optional<double> Number(std::string_view s) {
    double v = 0;
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

class LineParser {
public:
    LineParser(const std::string& source, int line) : source_(source), line_(line) {}

    [[noreturn]] void Fail(const std::string& what) const { throw PilotScriptError(source_, line_, what); }

    // "12.5", "1:30", "1:02:03.5"
    double Time(std::string_view s) const {
        double total = 0;
        int parts = 0;
        std::size_t start = 0;
        while (true) {
            std::size_t colon = s.find(':', start);
            std::string_view part = s.substr(start, colon == std::string_view::npos ? s.size() - start : colon - start);
            auto v = Number(part);
            if (!v || *v < 0 || part.empty() || part.front() == '+') {
                Fail("'" + std::string(s) + "' is not a time (seconds, m:ss or h:mm:ss)");
            }
            if (parts > 0 && *v >= 60) Fail("'" + std::string(s) + "': minutes and seconds after a ':' must be below 60");
            total = total * 60 + *v;
            ++parts;
            if (colon == std::string_view::npos) break;
            start = colon + 1;
        }
        // 1e308:59 overflows as 1e400 does.
        if (parts > 3 || !std::isfinite(total)) Fail("'" + std::string(s) + "' is not a time (seconds, m:ss or h:mm:ss)");
        return total;
    }

    double Value(const std::vector<std::string_view>& t, std::size_t i, const char* what, double lo, double hi,
                 bool percent_ok = false) const {
        if (i >= t.size()) Fail(std::string(what) + " needs a value");
        std::string_view s = t[i];
        double scale = 1;
        if (percent_ok && !s.empty() && s.back() == '%') {
            s.remove_suffix(1);
            scale = 0.01;
        }
        auto v = Number(s);
        if (!v) Fail(std::string(what) + ": '" + std::string(t[i]) + "' is not a number");
        double x = *v * scale;
        if (x < lo || x > hi) {
            std::ostringstream o;
            o << what << ": " << t[i] << " is out of range (" << lo << " to " << hi << ")";
            Fail(o.str());
        }
        return x;
    }

    void NoMore(const std::vector<std::string_view>& t, std::size_t used, const char* what) const {
        if (t.size() > used) Fail("unexpected '" + std::string(t[used]) + "' after " + what);
    }

private:
    const std::string& source_;
    int line_;
};

Hold ParseHoldName(const LineParser& lp, std::string_view s, const HoldInfo** info) {
    for (const HoldInfo& h : kHolds) {
        if (s == h.name) {
            *info = &h;
            return h.h;
        }
    }
    if (s == "vertical_speed") {
        *info = &kHolds[2];
        return Hold::vertical_speed;
    }
    lp.Fail("unknown hold '" + std::string(s) + "' (expected pitch, bank, vs, altitude, heading or speed)");
}

using K = Command::Kind;
using Tokens = std::vector<std::string_view>;

// A command word and how the rest of its line is read; t[i] is the word.
struct CommandWord {
    const char* name;
    K kind;
    double lo;  // for a level: the lowest value (the highest is 1)
    void (*parse)(const LineParser& lp, const Tokens& t, std::size_t i, const CommandWord& w, Command& c);
};

// A level up to 1; throttle and brakes also take a percentage.
void ParseLevel(const LineParser& lp, const Tokens& t, std::size_t i, const CommandWord& w, Command& c) {
    c.kind = w.kind;
    c.value = lp.Value(t, i + 1, w.name, w.lo, 1.0, w.kind == K::throttle || w.kind == K::brakes);
    lp.NoMore(t, i + 2, w.name);
}

void ParseKey(const LineParser& lp, const Tokens& t, std::size_t i, const CommandWord& w, Command& c) {
    if (i + 1 >= t.size()) lp.Fail("key needs one of G, F, 0, J, K");
    std::string_view k = t[i + 1];
    bool found = false;
    for (const KeyInfo& ki : kKeys) {
        if (k == ki.name || (k.size() == 1 && ki.name[0] == (k[0] >= 'a' && k[0] <= 'z' ? k[0] - 32 : k[0]))) {
            c.value = ki.code;
            found = true;
        }
    }
    if (!found) lp.Fail("key '" + std::string(k) + "' is not one of G, F, 0, J, K");
    c.kind = w.kind;
    lp.NoMore(t, i + 2, "the key");
}

// "on", "off" or a level.
void ParseBrakes(const LineParser& lp, const Tokens& t, std::size_t i, const CommandWord& w, Command& c) {
    if (i + 1 < t.size() && (t[i + 1] == "on" || t[i + 1] == "off")) {
        c.kind = w.kind;
        c.value = t[i + 1] == "on" ? 1.0 : 0.0;
        lp.NoMore(t, i + 2, "brakes");
    } else {
        ParseLevel(lp, t, i, w, c);
    }
}

void ParseView(const LineParser& lp, const Tokens& t, std::size_t i, const CommandWord& w, Command& c) {
    if (i + 1 >= t.size() || (t[i + 1] != "cockpit" && t[i + 1] != "outside")) {
        lp.Fail("view needs 'cockpit' or 'outside'");
    }
    c.kind = w.kind;
    c.value = t[i + 1] == "cockpit" ? 1.0 : 0.0;
    lp.NoMore(t, i + 2, "the view");
}

void ParseWarp(const LineParser& lp, const Tokens& t, std::size_t i, const CommandWord& w, Command& c) {
    c.kind = w.kind;
    c.value = lp.Value(t, i + 1, "warp", 0.1, 1000.0);
    lp.NoMore(t, i + 2, "warp");
}

void ParseHold(const LineParser& lp, const Tokens& t, std::size_t i, const CommandWord& w, Command& c) {
    if (i + 1 >= t.size()) lp.Fail("hold needs pitch, bank, vs, altitude, heading or speed and a value");
    const HoldInfo* info = nullptr;
    c.kind = w.kind;
    c.hold = ParseHoldName(lp, t[i + 1], &info);
    std::string what = std::string("hold ") + info->name + " (" + info->unit + ")";
    c.value = lp.Value(t, i + 2, what.c_str(), info->lo, info->hi);
    lp.NoMore(t, i + 3, what.c_str());
}

void ParseRelease(const LineParser& lp, const Tokens& t, std::size_t i, const CommandWord& w, Command& c) {
    if (i + 1 >= t.size()) lp.Fail("release needs a hold name or 'all'");
    c.kind = w.kind;
    if (t[i + 1] == "all") {
        c.release_all = true;
    } else {
        const HoldInfo* info = nullptr;
        c.hold = ParseHoldName(lp, t[i + 1], &info);
    }
    lp.NoMore(t, i + 2, "release");
}

void ParseNote(const LineParser& lp, const Tokens& t, std::size_t i, const CommandWord& w, Command& c) {
    if (i + 1 >= t.size()) lp.Fail("note needs a text");
    c.kind = w.kind;
}

void ParseEnd(const LineParser& lp, const Tokens& t, std::size_t i, const CommandWord& w, Command& c) {
    c.kind = w.kind;
    lp.NoMore(t, i + 1, "end");
}

constexpr CommandWord kCommandWords[] = {
    {"key", K::key, 0, ParseKey},
    {"throttle", K::throttle, 0.0, ParseLevel},
    {"elevator", K::elevator, -1.0, ParseLevel},
    {"aileron", K::aileron, -1.0, ParseLevel},
    {"rudder", K::rudder, -1.0, ParseLevel},
    {"trim", K::trim, -1.0, ParseLevel},
    {"brakes", K::brakes, 0.0, ParseBrakes},
    {"view", K::view, 0, ParseView},
    {"warp", K::warp, 0, ParseWarp},
    {"hold", K::hold, 0, ParseHold},
    {"release", K::release, 0, ParseRelease},
    {"note", K::note, 0, ParseNote},
    {"end", K::end, 0, ParseEnd},
};

void ParseCommand(const LineParser& lp, const Tokens& t, std::size_t i, Command& c) {
    if (i >= t.size()) lp.Fail("no command after the trigger '" + std::string(t[0]) + (i > 1 ? " ..." : "") + "'");
    std::string_view name = t[i];
    for (const CommandWord& w : kCommandWords) {
        if (name == w.name) return w.parse(lp, t, i, w, c);
    }
    lp.Fail("unknown command '" + std::string(name) +
            "' (expected key, throttle, elevator, aileron, rudder, trim, brakes, view, warp, hold, release, note "
            "or end)");
}

void RejectControlCharacters(const LineParser& lp, std::string_view raw) {
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const auto ch = static_cast<unsigned char>(raw[i]);
        if (ch < 0x20 && ch != '\t') {
            char what[96];
            std::snprintf(what, sizeof what, "%s at column %zu (is this a text file?)",
                          ch == 0 ? "NUL byte" : "control character", i + 1);
            lp.Fail(what);
        }
    }
}

// "start heading DEG" / "start fuel KG".
void ParseStart(const LineParser& lp, const std::vector<std::string_view>& t, PilotScript& script) {
    if (t.size() < 2) lp.Fail("start needs 'heading DEG' or 'fuel KG'");
    if (t[1] == "heading") {
        script.start_heading_deg = lp.Value(t, 2, "start heading (degrees)", 0, 360);
    } else if (t[1] == "fuel") {
        script.start_fuel_kg = lp.Value(t, 2, "start fuel (kg)", 0, 1e6);
    } else {
        lp.Fail("start needs 'heading DEG' or 'fuel KG', not '" + std::string(t[1]) + "'");
    }
    lp.NoMore(t, 3, "start");
}

// "when QUANTITY OP VALUE"; the command follows at t[4].
void ParseWhen(const LineParser& lp, const std::vector<std::string_view>& t, Trigger& trigger) {
    if (t.size() < 4) lp.Fail("when needs a quantity, a comparison and a value (e.g. 'when altitude_m > 300')");
    bool found = false;
    for (const QuantityInfo& q : kQuantities) {
        if (t[1] == q.name) {
            trigger.quantity = q.q;
            found = true;
        }
    }
    if (!found) {
        std::string names;
        for (const QuantityInfo& q : kQuantities) names += std::string(names.empty() ? "" : ", ") + q.name;
        lp.Fail("unknown quantity '" + std::string(t[1]) + "' (expected one of " + names + ")");
    }
    std::string_view op = t[2];
    if (op == "<") {
        trigger.compare = Compare::less;
    } else if (op == "<=") {
        trigger.compare = Compare::less_equal;
    } else if (op == ">") {
        trigger.compare = Compare::greater;
    } else if (op == ">=") {
        trigger.compare = Compare::greater_equal;
    } else {
        lp.Fail("'" + std::string(op) + "' is not a comparison (<, <=, > or >=)");
    }
    auto v = Number(t[3]);
    if (!v) lp.Fail("when: '" + std::string(t[3]) + "' is not a number");
    trigger.kind = Trigger::Kind::when;
    trigger.value = *v;
}

// The line's trigger; returns where its command starts. Times never go back
// before last_at_s, which follows the script's timed lines.
std::size_t ParseTrigger(const LineParser& lp, const std::vector<std::string_view>& t, Trigger& trigger,
                         double& last_at_s) {
    if (t[0] == "when") {
        ParseWhen(lp, t, trigger);
        return 4;
    }
    if (t[0].front() == '+') {
        trigger.kind = Trigger::Kind::after;
        trigger.time_s = lp.Time(t[0].substr(1));
    } else if ((t[0].front() >= '0' && t[0].front() <= '9') || t[0].front() == '.') {
        trigger.kind = Trigger::Kind::at;
        trigger.time_s = lp.Time(t[0]);
        if (trigger.time_s < last_at_s) {
            std::ostringstream o;
            o << "time " << t[0] << " is earlier than an earlier line's " << last_at_s << " s";
            lp.Fail(o.str());
        }
        last_at_s = trigger.time_s;
    } else {
        lp.Fail("a line starts with a time (12.5, 1:30 or +2), 'when' or 'start', not '" + std::string(t[0]) + "'");
    }
    return 1;
}

}  // namespace

PilotScript ParsePilotScript(std::string_view text, const std::string& source) {
    PilotScript script;
    script.source = source;
    int line_no = 0;
    bool timed_seen = false, ended = false;
    double last_at_s = 0;
    // An invisible byte-order mark would otherwise be the first word.
    std::size_t pos = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    while (pos < text.size()) {
        // Lines end at LF, CRLF or a lone CR.
        std::size_t nl = text.find_first_of("\r\n", pos);
        std::string_view raw = text.substr(pos, nl == std::string_view::npos ? text.size() - pos : nl - pos);
        if (nl == std::string_view::npos) {
            pos = text.size() + 1;
        } else {
            pos = nl + (text[nl] == '\r' && nl + 1 < text.size() && text[nl + 1] == '\n' ? 2 : 1);
        }
        ++line_no;
        LineParser lp(source, line_no);
        RejectControlCharacters(lp, raw);
        std::size_t hash = raw.find('#');
        std::string_view body = Trim(hash == std::string_view::npos ? raw : raw.substr(0, hash));
        if (body.empty()) continue;
        std::vector<std::string_view> t = Split(body);
        if (ended) lp.Fail("a command after 'end'");

        if (t[0] == "start") {
            if (timed_seen) lp.Fail("'start' lines come before the first timed command");
            ParseStart(lp, t, script);
            continue;
        }

        Command c;
        c.line = line_no;
        c.text = std::string(body);
        const std::size_t i = ParseTrigger(lp, t, c.trigger, last_at_s);
        ParseCommand(lp, t, i, c);
        if (c.kind == Command::Kind::note) {
            const std::size_t at = static_cast<std::size_t>(t[i].data() - body.data()) + 4;
            c.note = std::string(Trim(body.substr(at)));
        }
        if (c.kind == Command::Kind::end) ended = true;
        timed_seen = true;
        script.commands.push_back(std::move(c));
    }
    if (script.commands.empty())
        throw PilotScriptError(source, line_no > 0 ? line_no : 1, "the script has no timed command");
    return script;
}

const char* QuantityName(Quantity q) {
    for (const QuantityInfo& i : kQuantities) {
        if (i.q == q) return i.name;
    }
    return "?";
}

const char* HoldName(Hold h) {
    for (const HoldInfo& i : kHolds) {
        if (i.h == h) return i.name;
    }
    return "?";
}

const char* KeyName(double code) {
    for (const KeyInfo& k : kKeys) {
        if (static_cast<double>(k.code) == code) return k.name;
    }
    return "?";
}

}  // namespace vantorel_sim::fly
