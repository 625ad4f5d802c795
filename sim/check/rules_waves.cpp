// Rule 7: the vessel's wave files are 16-bit mono PCM at 22 050 or 44 100 Hz,
// neither silent nor clipping, and the engine tone loops without a click: the
// step and the slope across the loop point are no larger than inside the sound.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "check/asset_check.h"
#include "check/wave_file.h"
#include "vantorel/vessel_layout.h"

namespace vantorel_sim::check {

namespace layout = vantorel::layout;

namespace {

constexpr int kSilentPeak = 328;    // 1 % of full scale
constexpr double kLoopSlack = 1.1;  // the loop's step may exceed the largest inside by this factor
constexpr int kLoopLsb = 2;

std::string FileOf(std::string_view wave) {
    std::string rel(wave);
    std::replace(rel.begin(), rel.end(), '\\', '/');
    return rel;
}

void CheckLoop(const std::string& name, const SampleFigures& s, std::vector<Finding>& out) {
    if (s.count < 3) return;
    const int step = std::abs(s.first - s.last);
    const int bend = std::abs(s.second - 2 * s.first + s.last);
    if (step > kLoopSlack * s.max_step + kLoopLsb)
        out.push_back({7, name + ": clicks at its loop point: last to first sample jumps " + std::to_string(step) +
                              ", the largest step inside is " + std::to_string(s.max_step)});
    else if (bend > kLoopSlack * s.max_bend + kLoopLsb)
        out.push_back({7, name + ": clicks at its loop point: the slope breaks by " + std::to_string(bend) +
                              ", the largest change inside is " + std::to_string(s.max_bend)});
}

void CheckOne(const std::string& path, const std::string& name, bool loops, std::vector<Finding>& out) {
    Wave w;
    try {
        w = ReadWave(path);
    } catch (const WaveError& e) {
        out.push_back({7, e.what()});
        return;
    }
    if (w.format != 1 || w.bits != 16 || w.channels != 1 || (w.rate_hz != 22050 && w.rate_hz != 44100)) {
        out.push_back({7, name + ": format " + std::to_string(w.format) + ", " + std::to_string(w.bits) + "-bit, " +
                              std::to_string(w.channels) + " channel(s), " + std::to_string(w.rate_hz) +
                              " Hz; expected PCM (1), 16-bit, mono, 22050 or 44100 Hz"});
        return;
    }
    const SampleFigures& s = w.samples;
    if (s.peak < kSilentPeak) out.push_back({7, name + ": silent, peak " + std::to_string(s.peak) + " of 32768"});
    if (s.clipped > 0) out.push_back({7, name + ": clips, " + std::to_string(s.clipped) + " samples at full scale"});
    if (loops) CheckLoop(name, s, out);
}

}  // namespace

std::vector<Finding> CheckWaves(const std::string& asset_dir) {
    std::vector<Finding> out;
    for (std::string_view wave : {layout::kEngineWave, layout::kGearWave, layout::kFlapsWave}) {
        const std::string rel = FileOf(wave);
        const std::string path = (std::filesystem::path(asset_dir) / rel).string();
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec)) {
            out.push_back({7, rel + ": missing under " + asset_dir});
            continue;
        }
        CheckOne(path, rel, wave == layout::kEngineWave, out);
    }
    return out;
}

}  // namespace vantorel_sim::check
