#include "check/wave_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

namespace vantorel_sim::check {

namespace {

constexpr std::size_t kBlockBytes = 64 * 1024;
constexpr int kFullScale = 32767;

std::uint32_t U32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
unsigned U16(const unsigned char* p) { return static_cast<unsigned>(p[0] | p[1] << 8); }

// A chunk's four-letter id as text for messages: only printable letters.
std::string ChunkId(const unsigned char* p) {
    std::string id = "'";
    for (int i = 0; i < 4; ++i) id += p[i] >= 0x20 && p[i] < 0x7F ? static_cast<char>(p[i]) : '?';
    return id + "'";
}

class WaveReader {
public:
    explicit WaveReader(const std::string& path) : path_(path), in_(path, std::ios::binary) {
        if (!in_) Fail(std::string("cannot read: ") + std::strerror(errno));
        in_.seekg(0, std::ios::end);
        size_ = static_cast<std::uint64_t>(in_.tellg());
        in_.seekg(0);
    }

    [[noreturn]] void Fail(const std::string& what) const { throw WaveError(path_ + ": " + what); }

    std::uint64_t size() const { return size_; }
    std::uint64_t position() { return static_cast<std::uint64_t>(in_.tellg()); }

    void Read(unsigned char* into, std::size_t n) {
        if (!in_.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(n))) {
            Fail("read error at byte " + std::to_string(position()));
        }
    }
    void Skip(std::uint64_t n) { in_.seekg(static_cast<std::streamoff>(n), std::ios::cur); }

    // 16-bit samples of a chunk of n bytes, a block at a time.
    void ReadSamples(std::uint64_t n, SampleFigures& figures) {
        std::vector<unsigned char> block(kBlockBytes);
        for (std::uint64_t left = n - n % 2; left > 0;) {
            const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(left, kBlockBytes));
            Read(block.data(), take);
            for (std::size_t i = 0; i + 1 < take; i += 2) figures.Add(static_cast<std::int16_t>(U16(&block[i])));
            left -= take;
        }
        Skip(n % 2);
    }

private:
    std::string path_;
    std::ifstream in_;
    std::uint64_t size_ = 0;
};

}  // namespace

void SampleFigures::Add(int s) {
    const int magnitude = std::abs(s);
    peak = std::max(peak, magnitude);
    clipped += magnitude >= kFullScale;
    if (count >= 1) max_step = std::max(max_step, std::abs(s - last));
    if (count >= 2) max_bend = std::max(max_bend, std::abs(s - 2 * last + before_last));
    if (count == 0) first = s;
    if (count == 1) second = s;
    before_last = last;
    last = s;
    ++count;
}

Wave ReadWave(const std::string& path) {
    WaveReader in(path);
    unsigned char head[12];
    if (in.size() < 12) in.Fail("not a RIFF WAVE file");
    in.Read(head, 12);
    if (std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0) in.Fail("not a RIFF WAVE file");
    Wave w;
    bool have_fmt = false, have_data = false;
    while (in.position() + 8 <= in.size()) {
        const std::uint64_t at = in.position();
        unsigned char chunk[8];
        in.Read(chunk, 8);
        const std::uint32_t size = U32(chunk + 4);
        if (size > in.size() - at - 8) {
            in.Fail("chunk " + ChunkId(chunk) + " at byte " + std::to_string(at) + " says it holds " +
                    std::to_string(size) + " bytes, but the file ends " + std::to_string(in.size() - at - 8) +
                    " bytes after its header");
        }
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16) in.Fail("'fmt ' chunk too short");
            unsigned char f[16];
            in.Read(f, 16);
            w.format = U16(f);
            w.channels = U16(f + 2);
            w.rate_hz = U32(f + 4);
            w.bits = U16(f + 14);
            have_fmt = true;
            in.Skip(size - 16 + (size & 1));
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!have_fmt) in.Fail("'data' before 'fmt '");
            if (w.format == 1 && w.bits == 16) {
                in.ReadSamples(size, w.samples);
            } else {
                in.Skip(size);
            }
            in.Skip(size & 1);
            have_data = true;
        } else {
            in.Skip(static_cast<std::uint64_t>(size) + (size & 1));
        }
    }
    if (!have_fmt) in.Fail("no 'fmt ' chunk");
    if (!have_data) in.Fail("no 'data' chunk");
    return w;
}

}  // namespace vantorel_sim::check
