#include "check/wave_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace vantorel_sim::check {

namespace {

std::uint32_t U32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
unsigned U16(const unsigned char* p) { return static_cast<unsigned>(p[0] | p[1] << 8); }

}  // namespace

Wave ReadWave(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw WaveError(path + ": cannot read: " + std::strerror(errno));
    const std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        throw WaveError(path + ": not a RIFF WAVE file");
    Wave w;
    bool have_fmt = false, have_data = false;
    std::size_t pos = 12;
    while (pos + 8 <= b.size()) {
        const std::uint32_t size = U32(&b[pos + 4]);
        const std::size_t body = pos + 8;
        if (size > b.size() - body)
            throw WaveError(path + ": chunk at byte " + std::to_string(pos) + " runs past the end of the file");
        if (std::memcmp(&b[pos], "fmt ", 4) == 0) {
            if (size < 16) throw WaveError(path + ": 'fmt ' chunk too short");
            w.format = U16(&b[body]);
            w.channels = U16(&b[body + 2]);
            w.rate_hz = U32(&b[body + 4]);
            w.bits = U16(&b[body + 14]);
            have_fmt = true;
        } else if (std::memcmp(&b[pos], "data", 4) == 0) {
            if (!have_fmt) throw WaveError(path + ": 'data' before 'fmt '");
            if (w.format == 1 && w.bits == 16) {
                w.samples.resize(size / 2);
                for (std::size_t i = 0; i < w.samples.size(); ++i)
                    w.samples[i] = static_cast<std::int16_t>(U16(&b[body + 2 * i]));
            }
            have_data = true;
        }
        pos = body + size + (size & 1);
    }
    if (!have_fmt) throw WaveError(path + ": no 'fmt ' chunk");
    if (!have_data) throw WaveError(path + ": no 'data' chunk");
    return w;
}

}  // namespace vantorel_sim::check
