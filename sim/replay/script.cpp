#include "replay/script.h"

#include <nlohmann/json.hpp>

#include <OrbiterAPI.h>

#include <cctype>
#include <cmath>
#include <limits>
#include <set>
#include <sstream>

#include "common/input_text.h"
#include "common/text_escape.h"

namespace vantorel_sim::replay {

namespace {

using nlohmann::json;

std::string Prefix(const std::string& source, int line) {
    return line > 0 ? source + ":" + std::to_string(line) + ": " : source + ": ";
}

// Escaped here: what() is a C string, and a NUL in a key would cut it short.
std::string FullMessage(const std::string& source, int line, const std::string& field, const std::string& what) {
    std::string m = Prefix(source, line);
    if (!field.empty()) m += "field '" + field + "': ";
    return MessageSafe(m + what);
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
        throw ReplayScriptError(source_, line_, field, what);
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
        if (v.is_number_float()) {
            const double x = v.get<double>();
            // -0 reads as -0.0 (see MarkNegativeZeros): as an integer it is 0.
            if (x == 0 && std::signbit(x)) return Integer(field, json(0), min, max);
            // Past 2^64 the reader keeps a whole number as a double.
            if (std::isfinite(x) && std::floor(x) == x && (x > static_cast<double>(max) || x < static_cast<double>(min))) {
                Fail(field, Shown(v) + " is out of range (" + std::to_string(min) + " to " + std::to_string(max) + ")");
            }
        }
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

// The reader parses "-0" as the integer 0 and so loses its sign; written
// as "-0.0" it keeps it. Only number tokens are touched, never strings.
std::string MarkNegativeZeros(const std::string& text) {
    std::string out;
    bool in_string = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        out += c;
        if (in_string) {
            if (c == '\\' && i + 1 < text.size()) out += text[++i];
            else if (c == '"') in_string = false;
            continue;
        }
        if (c == '"') in_string = true;
        if (c == '-' && i + 1 < text.size() && text[i + 1] == '0') {
            const char after = i + 2 < text.size() ? text[i + 2] : ' ';
            if (!(std::isdigit(static_cast<unsigned char>(after)) || after == '.' || after == 'e' || after == 'E')) {
                out += "0.0";
                ++i;
            }
        }
    }
    return out;
}

// "[json.exception.parse_error.101] parse error at line 1, column 5: ..."
// without the tag, and with "line 1" dropped: each script line is parsed alone.
std::string ReaderMessage(const std::string& raw) {
    std::string what = raw;
    auto close = what.find("] ");
    if (close != std::string::npos) what = what.substr(close + 2);
    auto at = what.find("at line 1, ");
    if (at != std::string::npos) what.replace(at, 11, "at ");
    return what;
}

// Parses one line, naming repeated keys (at any depth: the reader keeps the
// last of them) and the field whose number does not fit a double.
json ParseJson(const std::string& raw, const LineReader& r, const std::string& source, int line_no) {
    const std::size_t nul = raw.find('\0');
    if (nul != std::string::npos) r.Fail("", "NUL byte at column " + std::to_string(nul + 1) + " (is this a text file?)");
    const std::string text = MarkNegativeZeros(raw);
    std::vector<std::set<std::string>> seen;  // keys of each open object
    std::string top_key, duplicate, duplicate_in;
    json::parser_callback_t note_keys = [&](int depth, json::parse_event_t event, json& parsed) {
        if (event == json::parse_event_t::object_start) seen.emplace_back();
        if (event == json::parse_event_t::object_end && !seen.empty()) seen.pop_back();
        if (event == json::parse_event_t::key) {
            const auto& k = parsed.get_ref<const std::string&>();
            if (depth == 1) top_key = k;
            if (!seen.empty() && !seen.back().insert(k).second && duplicate.empty()) {
                duplicate = k;
                if (depth > 1) duplicate_in = top_key;
            }
        }
        return true;
    };
    try {
        json obj = json::parse(text, note_keys);
        if (!duplicate.empty()) {
            if (!duplicate_in.empty()) r.Fail(duplicate_in, "'" + duplicate + "' given twice in one object");
            r.Fail(duplicate, "given twice on one line");
        }
        return obj;
    } catch (const json::parse_error& e) {
        throw ReplayScriptError(source, line_no, "", "not JSON: " + ReaderMessage(e.what()));
    } catch (const json::out_of_range& e) {
        // A number beyond the range of a double (1e400): the reader stops there.
        const std::string what = e.what();
        const bool negative = what.find("parsing '-") != std::string::npos;
        if (e.id == 406) r.Fail(top_key, std::string("number out of range (write \"") + (negative ? "-inf" : "inf") + "\")");
        throw ReplayScriptError(source, line_no, top_key, ReaderMessage(what));
    } catch (const json::exception& e) {
        throw ReplayScriptError(source, line_no, top_key, ReaderMessage(e.what()));
    }
}

ScriptFrame ParseLine(const std::string& text, const std::string& source, int line_no) {
    LineReader r(source, line_no);
    const json obj = ParseJson(text, r, source, line_no);
    if (!obj.is_object()) r.Fail("", "expected a JSON object, got " + TypeOf(obj));

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

ReplayScriptError::ReplayScriptError(std::string source, int line, std::string field, const std::string& what)
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

namespace {

// Adds the script's lines one by one, with the running frame total.
class ScriptBuilder {
public:
    ScriptBuilder(const std::string& source, std::int64_t max_frames) : max_frames_(max_frames) {
        script_.source = source;
    }

    void Add(std::string& text, int line_no) {
        // A byte-order mark is invisible: skipped before a comment too.
        if (line_no == 1 && text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
        if (SkippedLine(text)) return;
        ScriptFrame f = ParseLine(text, script_.source, line_no);
        total_ += f.repeat;  // each repeat is at most kMaxFrames: no overflow
        if (total_ > max_frames_) {
            std::string what = "the script would run more than " + std::to_string(max_frames_) + " frames";
            if (max_frames_ < kMaxFrames) what += " (--max-frames raises the limit)";
            throw ReplayScriptError(script_.source, line_no, "repeat", what);
        }
        script_.frames.push_back(std::move(f));
    }

    ReplayScript Take() { return std::move(script_); }

private:
    ReplayScript script_;
    std::int64_t max_frames_;
    std::int64_t total_ = 0;
};

}  // namespace

ReplayScript ParseScript(std::istream& in, const std::string& source, std::int64_t max_frames) {
    ScriptBuilder builder(source, max_frames);
    std::string text;
    int line_no = 0;
    while (std::getline(in, text)) builder.Add(text, ++line_no);
    if (in.bad()) throw ReplayScriptError(source, 0, "", "read error after line " + std::to_string(line_no));
    return builder.Take();
}

ReplayScript ReadScript(TextReader& reader, std::int64_t max_frames) {
    ScriptBuilder builder(reader.source(), max_frames);
    std::string text;
    while (reader.NextLine(text)) builder.Add(text, reader.line_number());
    return builder.Take();
}

ReplayScript ParseScriptText(const std::string& text, const std::string& source) {
    std::istringstream in(text);
    return ParseScript(in, source);
}

void CheckScript(const ReplayScript& script, int initial_vessels) {
    if (initial_vessels < 0 || initial_vessels > kMaxVessels) {
        throw ReplayScriptError(script.source, 0, "",
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
            throw ReplayScriptError(script.source, f.line, "create",
                                    "more than " + std::to_string(kMaxVessels) + " vessels in one replay");
        }
        if (f.create) destroyed_on.resize(destroyed_on.size() + static_cast<std::size_t>(*f.create), 0);
        if (f.destroy) {
            if (!alive(*f.destroy)) throw ReplayScriptError(script.source, f.line, "destroy", why_not(*f.destroy));
            destroyed_on[static_cast<std::size_t>(*f.destroy)] = f.line;
        }
        if (f.focus) {
            if (!alive(*f.focus)) throw ReplayScriptError(script.source, f.line, "focus", why_not(*f.focus));
            focus = *f.focus;
        }
        if (f.load_vc && !alive(focus)) {
            throw ReplayScriptError(script.source, f.line, "load_vc",
                                    "the focus vessel is not alive: " + why_not(focus));
        }
    }
}

}  // namespace vantorel_sim::replay
