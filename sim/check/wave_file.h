// WAV files as the sound library plays them: RIFF, a "fmt " chunk and a
// "data" chunk.
//
// The file is read in one pass with a fixed buffer: every chunk's size is
// checked against what is left of the file before it is used, and of the
// samples only the figures the rules need are kept, so memory stays the same
// for a wave of any size (a 1 GB file, a sparse one, a chunk that claims
// more than the file holds).
#ifndef VANTOREL_SIM_CHECK_WAVE_FILE_H
#define VANTOREL_SIM_CHECK_WAVE_FILE_H

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vantorel_sim::check {

class WaveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Figures over every sample in file order (interleaved, for more than one
// channel).
struct SampleFigures {
    std::uint64_t count = 0;
    int peak = 0;                // the largest magnitude
    std::uint64_t clipped = 0;   // samples at full scale (+-32767 or -32768)
    int max_step = 0;            // the largest |s[i] - s[i-1]|
    int max_bend = 0;            // the largest |s[i] - 2 s[i-1] + s[i-2]|
    int first = 0, second = 0, last = 0;
    int before_last = 0;

    void Add(int sample);
};

struct Wave {
    unsigned format = 0;  // 1: PCM
    unsigned channels = 0;
    unsigned rate_hz = 0;
    unsigned bits = 0;
    SampleFigures samples;  // filled for 16-bit PCM only
};

// Throws WaveError naming the file and what is wrong with its structure.
Wave ReadWave(const std::string& path);

}  // namespace vantorel_sim::check

#endif
