// An RGB picture with 8 bits a channel, written out as PNG through libpng.
#ifndef VANTOREL_SIM_RENDER_IMAGE_H
#define VANTOREL_SIM_RENDER_IMAGE_H

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

#include "common/exit_codes.h"
#include <vector>

namespace vantorel_sim {

using Rgb8 = std::array<std::uint8_t, 3>;

struct Image {
    int width = 0, height = 0;
    std::vector<Rgb8> pixels;  // row by row from the top

    Image() = default;
    Image(int w, int h, Rgb8 fill) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}
    Rgb8& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    const Rgb8& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// Averages factor x factor blocks (anti-aliasing after drawing larger).
Image Downsample(const Image& big, int factor);

// A picture that cannot be written: an output failure.
class PngError : public CommandError {
public:
    explicit PngError(const std::string& message) : CommandError(kExitOutputFailed, message) {}
};

// An 8-bit RGB PNG written a row at a time, top first, into an open stream,
// so that a picture need not be whole in memory. `name` says which file in
// messages. Throws PngError ("cannot write NAME: reason") with the system's
// reason for a failed write.
class PngWriter {
public:
    PngWriter(std::FILE* file, std::string name, int width, int height);
    ~PngWriter();
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    void WriteRow(const Rgb8* row);  // `width` pixels
    // After the last row: the end of the PNG written.
    void Finish();

private:
    struct State;
    [[noreturn]] void Fail();
    std::unique_ptr<State> state_;
};

// Encodes `image` whole into an open stream.
void EncodePng(const Image& image, std::FILE* file, const std::string& name);

// Writes `image` as a file, complete or not at all ('-': standard output);
// throws PngError naming the file and the reason.
void WritePng(const Image& image, const std::string& path);

}  // namespace vantorel_sim

#endif
