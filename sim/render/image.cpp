#include "render/image.h"

#include "common/output_file.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace vantorel_sim {

void Blit(Image& sheet, const Image& tile, int x0, int y0) {
    for (int y = 0; y < tile.height; ++y)
        for (int x = 0; x < tile.width; ++x)
            if (sheet.inside(x0 + x, y0 + y)) sheet.at(x0 + x, y0 + y) = tile.at(x, y);
}

Image Downsample(const Image& big, int factor) {
    Image out(big.width / factor, big.height / factor, Rgb8{0, 0, 0});
    const int n = factor * factor;
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            int sum[3] = {0, 0, 0};
            for (int dy = 0; dy < factor; ++dy)
                for (int dx = 0; dx < factor; ++dx)
                    for (int c = 0; c < 3; ++c) sum[c] += big.at(x * factor + dx, y * factor + dy)[c];
            for (int c = 0; c < 3; ++c) out.at(x, y)[c] = static_cast<std::uint8_t>((sum[c] + n / 2) / n);
        }
    }
    return out;
}

namespace {

// libpng reports errors through a callback that must not return; it longjmps
// back to WritePng, which then throws with the message kept here.
struct PngContext {
    char message[256] = "";
    std::FILE* file = nullptr;
};

// fwrite with the system's reason kept, where libpng's own would say only
// "Write Error".
void OnPngWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* ctx = static_cast<PngContext*>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, length, ctx->file) != length) png_error(png, std::strerror(errno));
}

void OnPngFlush(png_structp png) { std::fflush(static_cast<PngContext*>(png_get_io_ptr(png))->file); }

void OnPngError(png_structp png, png_const_charp text) {
    auto* ctx = static_cast<PngContext*>(png_get_error_ptr(png));
    std::snprintf(ctx->message, sizeof ctx->message, "%s", text);
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// Everything that can fail in libpng; false with ctx.message set on failure.
// Kept free of C++ objects with destructors, because libpng may longjmp out.
bool WriteRows(std::FILE* file, const Image& image, png_bytep* rows, PngContext& ctx) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &ctx, OnPngError, OnPngWarning);
    if (png == nullptr) {
        std::snprintf(ctx.message, sizeof ctx.message, "libpng could not start");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        if (ctx.message[0] == '\0') std::snprintf(ctx.message, sizeof ctx.message, "libpng could not start");
        png_destroy_write_struct(&png, &info);
        return false;
    }
    ctx.file = file;
    png_set_write_fn(png, &ctx, OnPngWrite, OnPngFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

void EncodePng(const Image& image, std::FILE* file, const std::string& name) {
    if (image.width <= 0 || image.height <= 0) throw PngError(name + ": nothing to write (empty image)");
    std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
    std::vector<Rgb8> copy = image.pixels;
    for (int y = 0; y < image.height; ++y)
        rows[static_cast<std::size_t>(y)] = reinterpret_cast<png_bytep>(&copy[static_cast<std::size_t>(y) * image.width]);
    PngContext ctx;
    if (!WriteRows(file, image, rows.data(), ctx)) throw PngError("cannot write " + name + ": " + ctx.message);
}

void WritePng(const Image& image, const std::string& path) {
    try {
        OutputFile out(path, "picture");
        EncodePng(image, out.file(), "'" + path + "'");
        out.Commit();
    } catch (const PngError&) {
        throw;
    } catch (const CommandError& e) {
        throw PngError(e.what());
    }
}

}  // namespace vantorel_sim
