#include "replay/script.h"

#include <nlohmann/json.hpp>

#include <OrbiterAPI.h>

#include <cmath>
#include <limits>
#include <set>
#include <sstream>

namespace vantorel_sim {

namespace {

using nlohmann::json;

// Far beyond any useful flight, and keeps frame numbers and times exact.
constexpr std::int64_t kMaxFrames = 1'000'000'000'000;

std::string Prefix(const std::string& source, int line) {
    return line > 0 ? source + ":" + std::to_string(line) + ": " : source + ": ";
}

std::string FullMessage(const std::string& source, int line, const std::string& field, const std::string& what) {
    std::string m = Prefix(source, line);
    if (!field.empty()) m += "field '" + field + "': ";
    return m + what;
}

std::string TypeOf(const json& v) {
    if (v.is_null()) return "null";
    if (v.is_boolean()) return "a boolean";
    if (v.is_number()) return "a number";
    if (v.is_string()) return "a string";
    if (v.is_array()) return "an array";
    return "an object";
}

// A value as the user wrote it, shortened for messages. Containers are only
// named: dumping an arbitrarily deep one would recurse without bound.
std::string Shown(const json& v) {
    if (v.is_structured()) return TypeOf(v);
    std::string s = v.dump();
    if (s.size() > 40) s = s.substr(0, 37) + "...";
    return s;
}

class LineReader {
public:
    LineReader(const std::string& source, int line) : source_(source), line_(line) {}

    [[noreturn]] void Fail(const std::string& field, const std::string& what) const {
        throw ScriptError(source_, line_, field, what);
    }

    double Number(const std::string& field, const json& v) const {
        if (v.is_number()) return v.get<double>();
        if (v.is_string()) {
            const auto& s = v.get_ref<const std::string&>();
            if (s == "nan") return std::numeric_limits<double>::quiet_NaN();
            if (s == "inf") return std::numeric_limits<double>::infinity();
            if (s == "-inf") return -std::numeric_limits<double>::infinity();
        }
        Fail(field, "expected a number or one of \"nan\", \"inf\", \"-inf\", got " + Shown(v));
    }

    bool Boolean(const std::string& field, const json& v) const {
        if (!v.is_boolean()) Fail(field, "expected true or false, got " + Shown(v));
        return v.get<bool>();
    }

    std::int64_t Integer(const std::string& field, const json& v, std::int64_t min, std::int64_t max) const {
        if (!v.is_number_integer()) Fail(field, "expected an integer, got " + Shown(v));
        if (v.is_number_unsigned() && v.get<std::uint64_t>() > static_cast<std::uint64_t>(max)) {
            Fail(field, Shown(v) + " is out of range (at most " + std::to_string(max) + ")");
        }
        std::int64_t n = v.get<std::int64_t>();
        if (n < min) {
            Fail(field, min == 0 ? "must not be negative, got " + Shown(v)
                                 : "must be at least " + std::to_string(min) + ", got " + Shown(v));
        }
        if (n > max) Fail(field, Shown(v) + " is out of range (at most " + std::to_string(max) + ")");
        return n;
    }

    KeyEvent Key(std::size_t i, const json& v) const {
        const std::string field = "keys[" + std::to_string(i) + "]";
        if (v.is_string()) {
            static const struct {
                const char* name;
                std::uint32_t code;
            } named[] = {{"0", OAPI_KEY_0}, {"F", OAPI_KEY_F}, {"G", OAPI_KEY_G}, {"J", OAPI_KEY_J}, {"K", OAPI_KEY_K}};
            const auto& s = v.get_ref<const std::string&>();
            for (const auto& k : named) {
                if (s == k.name) return KeyEvent{k.code, true};
            }
            Fail(field, "unknown key name " + Shown(v) +
                            " (known: \"0\", \"F\", \"G\", \"J\", \"K\"; any other as {\"code\": n, \"down\": b})");
        }
        if (!v.is_object()) Fail(field, "expected a key name or {\"code\": n, \"down\": b}, got " + Shown(v));
        for (const auto& [k, _] : v.items()) {
            if (k != "code" && k != "down") Fail(field + "." + k, "unknown key in a key event (expected \"code\" and \"down\")");
        }
        if (!v.contains("code")) Fail(field + ".code", "missing");
        if (!v.contains("down")) Fail(field + ".down", "missing");
        KeyEvent e;
        e.code = static_cast<std::uint32_t>(Integer(field + ".code", v["code"], 0, 0xFFFFFFFF));
        e.down = Boolean(field + ".down", v["down"]);
        return e;
    }

private:
    const std::string& source_;
    int line_;
};

bool SkippedLine(const std::string& text) {
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r') continue;
        return c == '#';
    }
    return true;  // blank
}

ScriptFrame ParseLine(const std::string& text, const std::string& source, int line_no) {
    LineReader r(source, line_no);
    // The parser keeps the last of repeated keys; a repeat is a mistake to name.
    std::set<std::string> seen;
    std::string duplicate;
    json::parser_callback_t note_keys = [&](int depth, json::parse_event_t event, json& parsed) {
        if (depth == 1 && event == json::parse_event_t::key) {
            const auto& k = parsed.get_ref<const std::string&>();
            if (!seen.insert(k).second && duplicate.empty()) duplicate = k;
        }
        return true;
    };
    json obj;
    try {
        obj = json::parse(text, note_keys);
    } catch (const json::parse_error& e) {
        std::string what = e.what();
        // Drop nlohmann's "[json.exception.parse_error.101] " tag.
        auto close = what.find("] ");
        if (close != std::string::npos) what = what.substr(close + 2);
        // Each script line is parsed alone: its "line 1" means this line.
        auto at = what.find("at line 1, ");
        if (at != std::string::npos) what.replace(at, 11, "at ");
        throw ScriptError(source, line_no, "", "not JSON: " + what);
    }
    if (!obj.is_object()) r.Fail("", "expected a JSON object, got " + TypeOf(obj));
    if (!duplicate.empty()) r.Fail(duplicate, "given twice on one line");

    ScriptFrame f;
    f.line = line_no;
    for (const auto& [key, v] : obj.items()) {
        if (key == "airspeed") {
            f.airspeed = r.Number(key, v);
        } else if (key == "altitude") {
            f.altitude = r.Number(key, v);
        } else if (key == "aoa") {
            f.aoa = r.Number(key, v);
        } else if (key == "bank") {
            f.bank = r.Number(key, v);
        } else if (key == "ground") {
            f.ground = r.Boolean(key, v);
        } else if (key == "thrust") {
            f.thrust = r.Number(key, v);
        } else if (key == "rudder") {
            f.rudder = r.Number(key, v);
        } else if (key == "fuel") {
            f.fuel = r.Number(key, v);
        } else if (key == "time_acc") {
            f.time_acc = r.Number(key, v);
        } else if (key == "internal") {
            f.internal = r.Boolean(key, v);
        } else if (key == "heading") {
            f.heading = v.is_null() ? std::optional<double>() : std::optional<double>(r.Number(key, v));
        } else if (key == "keys") {
            if (!v.is_array()) r.Fail(key, "expected an array of key events, got " + Shown(v));
            for (std::size_t i = 0; i < v.size(); ++i) f.keys.push_back(r.Key(i, v[i]));
        } else if (key == "focus") {
            f.focus = static_cast<int>(r.Integer(key, v, 0, std::numeric_limits<int>::max()));
        } else if (key == "load_vc") {
            f.load_vc = static_cast<int>(r.Integer(key, v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
        } else if (key == "create") {
            f.create = static_cast<int>(r.Integer(key, v, 0, std::numeric_limits<int>::max()));
        } else if (key == "destroy") {
            f.destroy = static_cast<int>(r.Integer(key, v, 0, std::numeric_limits<int>::max()));
        } else if (key == "repeat") {
            f.repeat = r.Integer(key, v, 1, kMaxFrames);
        } else {
            r.Fail(key, "unknown key (known: airspeed, altitude, aoa, bank, ground, thrust, rudder, fuel, time_acc, "
                        "internal, heading, keys, focus, load_vc, create, destroy, repeat)");
        }
    }
    return f;
}

}  // namespace

ScriptError::ScriptError(std::string source, int line, std::string field, const std::string& what)
    : std::runtime_error(FullMessage(source, line, field, what)),
      source_(std::move(source)),
      line_(line),
      field_(std::move(field)),
      detail_(what) {}

std::int64_t ReplayScript::frame_count() const {
    std::int64_t n = 0;
    for (const auto& f : frames) n += f.repeat;
    return n;
}

ReplayScript ParseScript(std::istream& in, const std::string& source) {
    ReplayScript script;
    script.source = source;
    std::string text;
    int line_no = 0;
    std::int64_t total = 0;
    while (std::getline(in, text)) {
        ++line_no;
        if (SkippedLine(text)) continue;
        ScriptFrame f = ParseLine(text, source, line_no);
        total += f.repeat;  // each repeat is at most kMaxFrames: no overflow
        if (total > kMaxFrames) {
            throw ScriptError(source, line_no, "repeat",
                              "the script would run more than " + std::to_string(kMaxFrames) + " frames");
        }
        script.frames.push_back(std::move(f));
    }
    if (in.bad()) throw ScriptError(source, 0, "", "read error after line " + std::to_string(line_no));
    return script;
}

ReplayScript ParseScriptText(const std::string& text, const std::string& source) {
    std::istringstream in(text);
    return ParseScript(in, source);
}

void CheckScript(const ReplayScript& script, int initial_vessels) {
    if (initial_vessels < 0 || initial_vessels > kMaxVessels) {
        throw ScriptError(script.source, 0, "",
                          "the number of vessels must be 0 to " + std::to_string(kMaxVessels));
    }
    // Index -> line that destroyed it (0: alive); indices are never reused.
    std::vector<int> destroyed_on(static_cast<std::size_t>(initial_vessels), 0);
    int focus = 0;
    auto why_not = [&](int index) {
        if (index < 0 || static_cast<std::size_t>(index) >= destroyed_on.size()) {
            return "no vessel " + std::to_string(index) + " exists at this point (" +
                   std::to_string(destroyed_on.size()) + " created so far)";
        }
        return "vessel " + std::to_string(index) + " was destroyed on line " +
               std::to_string(destroyed_on[static_cast<std::size_t>(index)]);
    };
    auto alive = [&](int index) {
        return index >= 0 && static_cast<std::size_t>(index) < destroyed_on.size() &&
               destroyed_on[static_cast<std::size_t>(index)] == 0;
    };
    for (const ScriptFrame& f : script.frames) {
        if (f.create && *f.create > kMaxVessels - static_cast<int>(destroyed_on.size())) {
            throw ScriptError(script.source, f.line, "create",
                              "more than " + std::to_string(kMaxVessels) + " vessels in one replay");
        }
        if (f.create) destroyed_on.resize(destroyed_on.size() + static_cast<std::size_t>(*f.create), 0);
        if (f.destroy) {
            if (!alive(*f.destroy)) throw ScriptError(script.source, f.line, "destroy", why_not(*f.destroy));
            destroyed_on[static_cast<std::size_t>(*f.destroy)] = f.line;
        }
        if (f.focus) {
            if (!alive(*f.focus)) throw ScriptError(script.source, f.line, "focus", why_not(*f.focus));
            focus = *f.focus;
        }
        if (f.load_vc && !alive(focus)) {
            throw ScriptError(script.source, f.line, "load_vc", "the focus vessel is not alive: " + why_not(focus));
        }
    }
}

}  // namespace vantorel_sim
