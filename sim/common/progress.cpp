#include "common/progress.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

#include "common/platform.h"
#include "common/text_escape.h"

namespace vantorel_sim {

namespace {

Progress::Settings StandardError() {
    Progress::Settings settings;
    settings.stream = stderr;
    settings.terminal = platform::IsTerminal(stderr);
    return settings;
}

double SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string Percent(double done) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%3.0f%%", std::floor(std::clamp(done, 0.0, 1.0) * 100));
    return buf;
}

std::string Bar(double done) {
    constexpr int kWidth = 30;
    const int filled = static_cast<int>(std::clamp(done, 0.0, 1.0) * kWidth);
    return "[" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(kWidth - filled), '.') + "]";
}

}  // namespace

Progress::Progress(std::string prefix) : Progress(std::move(prefix), StandardError()) {}

Progress::Progress(std::string prefix, Settings settings) : prefix_(std::move(prefix)), settings_(std::move(settings)) {
    if (!settings_.clock_s) settings_.clock_s = SteadySeconds;
    start_s_ = settings_.clock_s();
}

bool Progress::Due(double now_s) const {
    if (settings_.terminal) {
        return now_s - start_s_ >= settings_.bar_delay_s && (!shown_ || now_s - last_s_ >= settings_.bar_interval_s);
    }
    return now_s - (shown_ ? last_s_ : start_s_) >= settings_.line_interval_s;
}

void Progress::Show(double now_s, double done, const std::string& detail) {
    last_s_ = now_s;
    shown_ = true;
    const std::string safe = MessageSafe(detail);
    if (!settings_.terminal) {
        std::string line = prefix_ + ": ";
        if (done >= 0) line += Percent(done) + (safe.empty() ? "" : ", ");
        std::fprintf(settings_.stream, "%s%s\n", line.c_str(), safe.c_str());
        std::fflush(settings_.stream);
        return;
    }
    std::string bar = "  ";
    if (done >= 0) bar += Bar(done) + " " + Percent(done) + " ";
    bar += safe;
    // Pad over the longer bar drawn before.
    const std::size_t width = bar.size();
    if (width < bar_width_) bar.append(bar_width_ - width, ' ');
    bar_width_ = width;
    std::fprintf(settings_.stream, "\r%s", bar.c_str());
    std::fflush(settings_.stream);
}

void Progress::Clear() {
    if (!settings_.terminal || bar_width_ == 0) return;
    std::fprintf(settings_.stream, "\r%s\r", std::string(bar_width_, ' ').c_str());
    std::fflush(settings_.stream);
    bar_width_ = 0;
}

}  // namespace vantorel_sim

