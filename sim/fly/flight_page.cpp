#include "fly/flight_page.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <optional>

#include <nlohmann/json.hpp>

#include "fly/vessel_readings.h"
#include "page/page_bundle.h"

namespace vantorel_sim::fly {

namespace {

using Json = nlohmann::json;

// A column of the track: its name on the page, its decimals (the CSV's for
// the CSV's columns) and how to read it off a row.
struct Column {
    std::string name;
    int digits;
    double (*get)(const Sample&);
};

const std::vector<Column>& Columns() {
    static const std::vector<Column> columns = {
        {"time_s", 3, [](const Sample& s) { return s.time_s; }},
        {"east_m", 2, [](const Sample& s) { return s.east_m; }},
        {"north_m", 2, [](const Sample& s) { return s.north_m; }},
        {"altitude_m", 2, [](const Sample& s) { return s.altitude_m; }},
        {"airspeed_mps", 3, [](const Sample& s) { return s.airspeed_mps; }},
        {"vertical_speed_mps", 3, [](const Sample& s) { return s.vertical_speed_mps; }},
        {"mach", 4, [](const Sample& s) { return s.mach; }},
        {"pitch_deg", 3, [](const Sample& s) { return s.pitch_deg; }},
        {"bank_deg", 3, [](const Sample& s) { return s.bank_deg; }},
        {"heading_deg", 3, [](const Sample& s) { return s.heading_deg; }},
        {"throttle", 4, [](const Sample& s) { return s.throttle; }},
        {"fuel_kg", 3, [](const Sample& s) { return s.fuel_kg; }},
        {"gear_pos", 5, [](const Sample& s) { return s.gear; }},
        {"flap_pos", 5, [](const Sample& s) { return s.flaps; }},
        {"canopy_pos", 5, [](const Sample& s) { return s.canopy; }},
    };
    return columns;
}

// The digits the CSV writes for v (to_chars, as CsvRow).
std::string Fixed(double v, int digits) {
    char buf[512];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, digits);
    return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string("nan");
}

// The value as an integer count of its last decimal, when a page's number
// (a double) holds it exactly; none for a diverged flight's huge values.
std::optional<long long> Scaled(const std::string& fixed) {
    std::string digits;
    for (char c : fixed) {
        if (c != '.') digits += c;
    }
    const std::size_t sign = (!digits.empty() && digits[0] == '-') ? 1 : 0;
    if (digits.size() - sign > 15) return std::nullopt;
    long long n = 0;
    const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (r.ec != std::errc() || r.ptr != digits.data() + digits.size()) return std::nullopt;
    return n;
}

// {"d": digits, "v": [first, deltas...]}, or {"d": digits, "s": [texts]}
// when some value does not fit.
Json EncodeColumn(const std::vector<Sample>& rows, int digits, const std::function<double(const Sample&)>& get) {
    std::vector<std::string> texts;
    texts.reserve(rows.size());
    Json deltas = Json::array();
    bool exact = true;
    long long previous = 0;
    for (const Sample& s : rows) {
        texts.push_back(Fixed(get(s), digits));
        if (!exact) continue;
        const std::optional<long long> n = Scaled(texts.back());
        if (!n) {
            exact = false;
            continue;
        }
        deltas.push_back(*n - previous);
        previous = *n;
    }
    Json column = {{"d", digits}};
    if (exact) {
        column["v"] = std::move(deltas);
    } else {
        column["s"] = texts;
    }
    return column;
}

Json EncodeTrack(const std::vector<Sample>& rows) {
    Json columns = Json::object();
    for (const Column& c : Columns()) columns[c.name] = EncodeColumn(rows, c.digits, c.get);
    for (std::size_t i = 0; i < kExteriorAnimations.size(); ++i) {
        const std::string name(vantorel::layout::Name(kExteriorAnimations[i]));
        columns["anim." + name] = EncodeColumn(rows, 4, [i](const Sample& s) { return s.exterior_states[i]; });
    }
    return columns;
}

std::string Base64(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::uint32_t n = (std::uint32_t{bytes[i]} << 16) |
                                (i + 1 < bytes.size() ? std::uint32_t{bytes[i + 1]} << 8 : 0) |
                                (i + 2 < bytes.size() ? std::uint32_t{bytes[i + 2]} : 0);
        out += kAlphabet[(n >> 18) & 63];
        out += kAlphabet[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(n >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[n & 63] : '=';
    }
    return out;
}

// JSON inside <script>: no '<' at all, so no "</script>" or "<!--" can end it.
std::string ScriptSafe(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '<') {
            out += "\\u003c";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

void TrackRecorder::Add(const Sample& s) {
    if (s.time_s >= next_s_) {
        thinning_.Add(s);
        next_s_ = (std::floor(s.time_s * kTrackRateHz + 1e-9) + 1) / kTrackRateHz;
        last_.reset();
    } else {
        last_ = s;
    }
}

std::vector<Sample> TrackRecorder::Take() {
    if (last_) thinning_.Add(*last_);
    last_.reset();
    return thinning_.Take();
}

bool FlightPageAvailable() { return !page::kPageScript.empty(); }

std::string FlightPageHtml(const FlightPageContent& content) {
    Json milestones = Json::array();
    for (const Milestone& m : content.milestones)
        milestones.push_back({{"t", Fixed(m.time_s, 3)}, {"kind", m.kind}, {"text", m.text}});
    const Json data = {{"source", content.source},     {"summary", content.summary},
                       {"milestones", milestones},     {"track", EncodeTrack(content.track)},
                       {"glb", Base64(content.glb)}};
    const std::string json = data.dump(-1, ' ', false, Json::error_handler_t::replace);
    std::string html;
    html.reserve(json.size() + page::kPageScript.size() + page::kPageStyle.size() + 1024);
    html += "<!doctype html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    html += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    html += "<title>Vantorel flight</title>\n<style>\n";
    html += page::kPageStyle;
    html += "\n</style>\n</head>\n<body>\n<script type=\"application/json\" id=\"flight-data\">";
    html += ScriptSafe(json);
    html += "</script>\n<script>\n";
    html += page::kPageScript;
    html += "\n</script>\n</body>\n</html>\n";
    return html;
}

}  // namespace vantorel_sim::fly
