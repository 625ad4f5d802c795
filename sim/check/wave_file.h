// WAV files as the sound library plays them: RIFF, a "fmt " chunk and a
// "data" chunk.
#ifndef VANTOREL_SIM_CHECK_WAVE_FILE_H
#define VANTOREL_SIM_CHECK_WAVE_FILE_H

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vantorel_sim::check {

class WaveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Wave {
    unsigned format = 0;  // 1: PCM
    unsigned channels = 0;
    unsigned rate_hz = 0;
    unsigned bits = 0;
    std::vector<std::int16_t> samples;  // filled for 16-bit PCM only (interleaved)
};

// Throws WaveError naming the file and what is wrong with its structure.
Wave ReadWave(const std::string& path);

}  // namespace vantorel_sim::check

#endif
