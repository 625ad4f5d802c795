// The flight as a picture: four panels over one time axis, milestones as
// numbered markers with their list underneath. Written by hand, no libraries.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "fly/vessel_readings.h"
#include "fly/clock_text.h"
#include "fly/report.h"
#include "common/text_escape.h"

namespace vantorel_sim::fly {

namespace {

constexpr double kWidth = 1200;
constexpr double kLeft = 90, kRight = 80;  // room for the axes' labels
constexpr double kPlotW = kWidth - kLeft - kRight;
// Milestones drawn at most; more are thinned evenly (their numbers kept, so
// they match the printed list), and the picture says how many it left out.
constexpr std::size_t kMaxMilestones = 100;

std::string F(double v, int digits = 1) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", digits, v);
    return buf;
}

// Notes and file names are the user's: invalid UTF-8 and characters XML
// does not allow would leave a file no viewer opens.
std::string Escape(const std::string& s) { return XmlText(s); }

// A "nice" step for about n ticks over span.
double NiceStep(double span, int n) {
    const double raw = span / n;
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (raw <= m * mag) return m * mag;
    }
    return 10 * mag;
}

struct Panel {
    double top, height;
    double lo, hi;  // left axis range
    double y(double v) const { return top + height - (v - lo) / (hi - lo) * height; }
};

class Plot {
public:
    Plot(std::ostream& out, const FlightResult& r) : out_(out), r_(r) {
        const auto& s = r.samples;
        t_end_ = std::max(s.empty() ? 1.0 : s.back().time_s, 1.0);
        // At most ~1600 points per line: plenty for 1000 px.
        stride_ = std::max<std::size_t>(1, s.size() / 1600);
        const std::size_t n = r.milestones.size();
        const std::size_t shown = std::min(n, kMaxMilestones);
        for (std::size_t k = 0; k < shown; ++k) shown_.push_back(shown < 2 ? k : k * (n - 1) / (shown - 1));
    }

    double X(double t) const { return kLeft + t / t_end_ * kPlotW; }

    void Write() {
        const std::vector<int> row = MarkerRows();
        const int rows = row.empty() ? 1 : *std::max_element(row.begin(), row.end()) + 1;
        const double markers_top = 96;
        const double panels_top = markers_top + rows * 22 + 30;
        const Panel alt{panels_top, 210, 0, 0};
        const Panel spd{alt.top + alt.height + 34, 150, 0, 0};
        const Panel thr{spd.top + spd.height + 34, 130, 0, 0};
        const Panel lanes{thr.top + thr.height + 34, 4 * 26.0, 0, 1};
        const double axis_y = lanes.top + lanes.height;
        const std::size_t list_rows = (shown_.size() + 1) / 2 + (shown_.size() < r_.milestones.size() ? 1 : 0);
        const double height = axis_y + 60 + list_rows * 19 + 30;

        Header(height);
        TimeGrid(panels_top, axis_y);
        AltitudePanel(alt);
        SpeedPanel(spd);
        ThrustPanel(thr);
        LanePanel(lanes);
        Markers(markers_top, row, axis_y);
        List(axis_y + 62);
        out_ << "</svg>\n";
    }

private:
    // Marker rows: milestones closer than a marker's width step down a row.
    std::vector<int> MarkerRows() const {
        std::vector<int> row(shown_.size(), 0);
        std::vector<double> last_x(8, -1e9);
        for (std::size_t i = 0; i < shown_.size(); ++i) {
            const double x = X(r_.milestones[shown_[i]].time_s);
            int k = 0;
            while (k < 7 && x - last_x[static_cast<std::size_t>(k)] < 21) ++k;
            row[i] = k;
            last_x[static_cast<std::size_t>(k)] = x;
        }
        return row;
    }

    // The document, its background, the title and the line of figures under it.
    void Header(double height) {
        const FlightSummary& m = r_.summary;
        out_ << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << F(height, 0)
             << "\" viewBox=\"0 0 " << kWidth << ' ' << F(height, 0) << "\" font-family=\"DejaVu Sans, Helvetica, Arial, sans-serif\">\n";
        out_ << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
        out_ << "<text x=\"" << kLeft << "\" y=\"38\" font-size=\"24\" font-weight=\"bold\" fill=\"#1a202c\">Vantorel: "
             << Escape(m.source) << "</text>\n";
        std::string sub = "flight time " + ClockText(m.flight_time_s) + "  \u00b7  ceiling " + F(m.max_altitude_m, 0) +
                          " m  \u00b7  top speed " + F(m.max_airspeed_mps, 0) + " m/s (Mach " + F(m.max_mach, 2) +
                          ")  \u00b7  fuel used " + F(m.fuel_used_kg, 0) + " kg  \u00b7  " +
                          std::to_string(m.envelope_exits.size()) + " envelope exit" +
                          (m.envelope_exits.size() == 1 ? "" : "s");
        out_ << "<text x=\"" << kLeft << "\" y=\"64\" font-size=\"14\" fill=\"#4a5568\">" << Escape(sub) << "</text>\n";
    }

    // Time grid and envelope bands behind everything.
    void TimeGrid(double panels_top, double axis_y) {
        // Whole minutes once the flight is long enough for them.
        const double step = t_end_ > 300 ? NiceStep(t_end_ / 60, 12) * 60 : NiceStep(t_end_, 10);
        for (double t = 0; t <= t_end_ + 1e-9; t += step) {
            out_ << "<line x1=\"" << F(X(t)) << "\" y1=\"" << F(panels_top) << "\" x2=\"" << F(X(t)) << "\" y2=\""
                 << F(axis_y) << "\" stroke=\"#edf2f7\" stroke-width=\"1\"/>\n";
            out_ << "<text x=\"" << F(X(t)) << "\" y=\"" << F(axis_y + 18) << "\" font-size=\"12\" fill=\"#4a5568\" "
                 << "text-anchor=\"middle\">" << MinutesSeconds(t) << "</text>\n";
        }
        out_ << "<text x=\"" << F(kLeft + kPlotW / 2) << "\" y=\"" << F(axis_y + 38)
             << "\" font-size=\"12\" fill=\"#4a5568\" text-anchor=\"middle\">time (min:s)</text>\n";
        for (const EnvelopeExit& e : r_.summary.envelope_exits) {
            const double x0 = X(e.time_s), x1 = std::max(X(e.time_s + e.duration_s), x0 + 3);
            out_ << "<rect x=\"" << F(x0) << "\" y=\"" << F(panels_top) << "\" width=\"" << F(x1 - x0) << "\" height=\""
                 << F(axis_y - panels_top) << "\" fill=\"#fed7d7\" opacity=\"0.7\"/>\n";
        }
    }

    using Get = std::function<double(const Sample&)>;

    std::string Points(const Panel& p, const Get& get, double scale_lo, double scale_hi) const {
        std::string pts;
        const auto& s = r_.samples;
        for (std::size_t i = 0; i < s.size(); i += stride_) {
            const double v = std::clamp(get(s[i]), scale_lo, scale_hi);
            pts += F(X(s[i].time_s)) + "," + F(p.y(v)) + " ";
        }
        if (!s.empty()) pts += F(X(s.back().time_s)) + "," + F(p.y(std::clamp(get(s.back()), scale_lo, scale_hi)));
        return pts;
    }

    void Line(const Panel& p, const Get& get, const char* colour, double width) {
        out_ << "<polyline fill=\"none\" stroke=\"" << colour << "\" stroke-width=\"" << width
             << "\" stroke-linejoin=\"round\" points=\"" << Points(p, get, p.lo, p.hi) << "\"/>\n";
    }

    void Area(const Panel& p, const Get& get, const char* colour, double opacity) {
        out_ << "<polygon fill=\"" << colour << "\" fill-opacity=\"" << opacity << "\" stroke=\"none\" points=\""
             << F(X(0)) << ',' << F(p.y(p.lo)) << ' ' << Points(p, get, p.lo, p.hi) << ' '
             << F(X(r_.samples.empty() ? 0 : r_.samples.back().time_s)) << ',' << F(p.y(p.lo)) << "\"/>\n";
    }

    void Frame(const Panel& p, const std::string& title, const char* colour) {
        out_ << "<rect x=\"" << kLeft << "\" y=\"" << F(p.top) << "\" width=\"" << kPlotW << "\" height=\""
             << F(p.height) << "\" fill=\"none\" stroke=\"#cbd5e0\"/>\n";
        out_ << "<text x=\"" << kLeft << "\" y=\"" << F(p.top - 8) << "\" font-size=\"14\" font-weight=\"bold\" fill=\""
             << colour << "\">" << Escape(title) << "</text>\n";
    }

    void LeftTicks(const Panel& p, double scale, const std::string& unit, int n = 4) {
        const double step = NiceStep((p.hi - p.lo) / scale, n);
        for (double v = 0; v <= (p.hi - p.lo) / scale + 1e-9; v += step) {
            const double y = p.y(p.lo + v * scale);
            out_ << "<line x1=\"" << kLeft << "\" y1=\"" << F(y) << "\" x2=\"" << F(kLeft + kPlotW) << "\" y2=\"" << F(y)
                 << "\" stroke=\"#edf2f7\"/>\n";
            out_ << "<text x=\"" << F(kLeft - 8) << "\" y=\"" << F(y + 4) << "\" font-size=\"12\" fill=\"#4a5568\" "
                 << "text-anchor=\"end\">" << F(v, step < 1 ? 1 : 0) << "</text>\n";
        }
        out_ << "<text x=\"" << F(kLeft - 60) << "\" y=\"" << F(p.top + p.height / 2) << "\" font-size=\"12\" "
             << "fill=\"#4a5568\" text-anchor=\"middle\" transform=\"rotate(-90 " << F(kLeft - 60) << ' '
             << F(p.top + p.height / 2) << ")\">" << Escape(unit) << "</text>\n";
    }

    double Max(const Get& get) const {
        double m = 0;
        for (const Sample& s : r_.samples) m = std::max(m, get(s));
        return m;
    }

    void AltitudePanel(Panel p) {
        const Get alt = [](const Sample& s) { return s.altitude_m; };
        p.hi = std::max(Max(alt) * 1.08, 1000.0);
        if (Max(alt) > 14000) p.hi = std::max(p.hi, 18500.0);  // show the ceiling when near it
        Frame(p, "Altitude", "#2b6cb0");
        LeftTicks(p, 1000, "km");
        Area(p, alt, "#90cdf4", 0.45);
        Line(p, alt, "#2b6cb0", 2);
        if (p.hi > kEnvelopeCeilingM) {
            const double y = p.y(kEnvelopeCeilingM);
            out_ << "<line x1=\"" << kLeft << "\" y1=\"" << F(y) << "\" x2=\"" << F(kLeft + kPlotW) << "\" y2=\"" << F(y)
                 << "\" stroke=\"#e53e3e\" stroke-dasharray=\"6 4\" stroke-width=\"1.5\"/>\n";
            out_ << "<text x=\"" << F(kLeft + kPlotW - 6) << "\" y=\"" << F(y - 6)
                 << "\" font-size=\"12\" fill=\"#c53030\" text-anchor=\"end\">envelope ceiling 17 000 m: engine cut, "
                    "drag 999</text>\n";
        }
    }

    void SpeedPanel(Panel p) {
        const Get v = [](const Sample& s) { return s.airspeed_mps; };
        p.hi = std::max(Max(v) * 1.1, 50.0);
        Frame(p, "Airspeed", "#c05621");
        LeftTicks(p, 1, "m/s");
        Line(p, v, "#c05621", 2);
        if (p.hi > 700) {
            const double y = p.y(700);
            out_ << "<line x1=\"" << kLeft << "\" y1=\"" << F(y) << "\" x2=\"" << F(kLeft + kPlotW) << "\" y2=\"" << F(y)
                 << "\" stroke=\"#e53e3e\" stroke-dasharray=\"6 4\"/>\n";
        }
    }

    void ThrustPanel(Panel p) {
        p.hi = 1.0;
        Frame(p, "", "#dd6b20");
        out_ << "<text x=\"" << kLeft << "\" y=\"" << F(p.top - 8) << "\" font-size=\"14\" font-weight=\"bold\" xml:space=\"preserve\">"
             << "<tspan fill=\"#dd6b20\">Thrust</tspan><tspan fill=\"#4a5568\"> and </tspan>"
             << "<tspan fill=\"#2f855a\">fuel</tspan></text>\n";
        const Get thrust_n = [](const Sample& s) { return s.thrust_n; };
        const double tmax = std::max(Max(thrust_n), 1.0);
        const double fmax = std::max(20000.0, Max([](const Sample& s) { return s.fuel_kg; }));
        LeftTicks(Panel{p.top, p.height, 0, tmax}, 1000, "thrust (kN)");
        Area(p, [tmax](const Sample& s) { return s.thrust_n / tmax; }, "#f6ad55", 0.55);
        Line(p, [fmax](const Sample& s) { return s.fuel_kg / fmax; }, "#2f855a", 2.2);
        // Fuel axis on the right.
        for (double f = 0; f <= fmax + 1e-9; f += NiceStep(fmax, 4)) {
            out_ << "<text x=\"" << F(kLeft + kPlotW + 8) << "\" y=\"" << F(p.y(f / fmax) + 4)
                 << "\" font-size=\"12\" fill=\"#2f855a\">" << F(f / 1000, 0) << "</text>\n";
        }
        const double xr = kLeft + kPlotW + 50;
        out_ << "<text x=\"" << F(xr) << "\" y=\"" << F(p.top + p.height / 2) << "\" font-size=\"12\" fill=\"#2f855a\" "
             << "text-anchor=\"middle\" transform=\"rotate(90 " << F(xr) << ' ' << F(p.top + p.height / 2)
             << ")\">fuel (t)</text>\n";
    }

    void LanePanel(const Panel& p) {
        out_ << "<text x=\"" << kLeft << "\" y=\"" << F(p.top - 8)
             << "\" font-size=\"14\" font-weight=\"bold\" fill=\"#4a5568\">Gear, flaps, canopy, ground</text>\n";
        struct LaneDef {
            const char* name;
            const char* colour;
            Get get;
        };
        const LaneDef lanes[] = {
            {"gear up", "#6b46c1", [](const Sample& s) { return s.gear; }},
            {"flaps down", "#b7791f", [](const Sample& s) { return s.flaps; }},
            {"canopy open", "#319795", [](const Sample& s) { return s.canopy; }},
            {"on ground", "#718096", [](const Sample& s) { return s.ground_contact ? 1.0 : 0.0; }},
        };
        for (int i = 0; i < 4; ++i) {
            const Panel lane{p.top + i * 26.0 + 3, 20, 0, 1};
            out_ << "<rect x=\"" << kLeft << "\" y=\"" << F(lane.top) << "\" width=\"" << kPlotW
                 << "\" height=\"20\" fill=\"#f7fafc\" stroke=\"#e2e8f0\"/>\n";
            Area(lane, lanes[i].get, lanes[i].colour, 0.75);
            out_ << "<text x=\"" << F(kLeft - 8) << "\" y=\"" << F(lane.top + 15) << "\" font-size=\"12\" fill=\""
                 << lanes[i].colour << "\" text-anchor=\"end\">" << lanes[i].name << "</text>\n";
        }
    }

    void Markers(double top, const std::vector<int>& row, double bottom) {
        for (std::size_t i = 0; i < shown_.size(); ++i) {
            const Milestone& m = r_.milestones[shown_[i]];
            const double x = X(m.time_s);
            const double cy = top + row[i] * 22 + 9;
            const bool envelope = m.kind.rfind("envelope", 0) == 0;
            const char* colour = envelope ? "#c53030" : "#2d3748";
            out_ << "<line x1=\"" << F(x) << "\" y1=\"" << F(cy + 9) << "\" x2=\"" << F(x) << "\" y2=\"" << F(bottom)
                 << "\" stroke=\"" << colour << "\" stroke-opacity=\"0.35\" stroke-dasharray=\"2 3\"/>\n";
            out_ << "<circle cx=\"" << F(x) << "\" cy=\"" << F(cy) << "\" r=\"9\" fill=\"" << colour << "\"/>\n";
            out_ << "<text x=\"" << F(x) << "\" y=\"" << F(cy + 4) << "\" font-size=\"10\" fill=\"#ffffff\" "
                 << "text-anchor=\"middle\" font-weight=\"bold\">" << (shown_[i] + 1) << "</text>\n";
        }
    }

    void List(double top) {
        const std::size_t n = shown_.size();
        const std::size_t half = (n + 1) / 2;
        for (std::size_t i = 0; i < n; ++i) {
            const Milestone& m = r_.milestones[shown_[i]];
            const double x = kLeft + (i < half ? 0 : kPlotW / 2 + 10);
            const double y = top + static_cast<double>(i < half ? i : i - half) * 19;
            const bool envelope = m.kind.rfind("envelope", 0) == 0;
            out_ << "<text x=\"" << F(x) << "\" y=\"" << F(y) << "\" font-size=\"12\" fill=\""
                 << (envelope ? "#c53030" : "#2d3748") << "\"><tspan font-weight=\"bold\">" << (shown_[i] + 1)
                 << "</tspan>  " << ClockText(m.time_s) << "  " << Escape(m.text) << "</text>\n";
        }
        if (n < r_.milestones.size()) {
            out_ << "<text x=\"" << F(kLeft) << "\" y=\"" << F(top + static_cast<double>(half) * 19)
                 << "\" font-size=\"12\" fill=\"#4a5568\">" << n << " of " << r_.milestones.size()
                 << " milestones shown, evenly spaced; the rest are in the flight's printed list</text>\n";
        }
    }

    std::ostream& out_;
    const FlightResult& r_;
    double t_end_ = 1;
    std::size_t stride_ = 1;
    std::vector<std::size_t> shown_;  // indices of the milestones drawn
};

}  // namespace

void WriteSvg(std::ostream& out, const FlightResult& r) { Plot(out, r).Write(); }

}  // namespace vantorel_sim::fly
