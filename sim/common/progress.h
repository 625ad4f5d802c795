// Progress of a long run on standard error, out of the way of short runs
// and of pipes:
// - on a terminal, a one-line bar drawn once the run has taken 0.5 s and
//   redrawn at most ten times a second;
// - otherwise (a log file, CI), a plain line every 5 s, the first after 5 s,
//   so a run of a few seconds prints nothing.
//
// Wiring: one Progress per run; call Update() every frame (cheap: it reads
// the clock and builds the detail only when a line is due), Clear() before
// printing on standard output so the bar and the text do not mix.
//     Progress progress("vantorel-sim fly");
//     options.on_progress = [&](double t_s, double done) {
//         progress.Update(done, [&] { return "t = " + std::to_string(int(t_s)) + " s"; });
//     };
#ifndef VANTOREL_SIM_COMMON_PROGRESS_H
#define VANTOREL_SIM_COMMON_PROGRESS_H

#include <cstdio>
#include <functional>
#include <string>

namespace vantorel_sim {

class Progress {
public:
    struct Settings {
        std::FILE* stream = stderr;
        bool terminal = false;
        std::function<double()> clock_s;  // seconds from any fixed origin
        double bar_delay_s = 0.5;
        double bar_interval_s = 0.1;
        double line_interval_s = 5.0;
    };

    // On standard error, a terminal or not as it is, with the steady clock.
    explicit Progress(std::string prefix);
    Progress(std::string prefix, Settings settings);
    ~Progress() { Clear(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // done: the fraction of the run behind us, 0 to 1, or negative when
    // unknown. detail() gives the rest of the line ("t = 1234 s").
    template <class Detail>
    void Update(double done, Detail&& detail) {
        const double now_s = settings_.clock_s();
        if (Due(now_s)) Show(now_s, done, detail());
    }

    // Removes the bar from the terminal; it comes back at the next Update.
    void Clear();

private:
    bool Due(double now_s) const;
    void Show(double now_s, double done, const std::string& detail);

    std::string prefix_;
    Settings settings_;
    double start_s_;
    double last_s_ = 0;
    bool shown_ = false;            // anything printed yet
    std::size_t bar_width_ = 0;     // characters of the bar on screen; 0: none
};

}  // namespace vantorel_sim

#endif
