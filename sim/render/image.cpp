#include "render/image.h"

#include "common/output_file.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace vantorel_sim {

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
// back to the call in progress, which then throws with the message kept here.
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

// Each step of libpng in a function of its own, free of C++ objects with
// destructors, because libpng may longjmp out; false with ctx.message set.
bool Start(std::FILE* file, int width, int height, png_structp& png, png_infop& info, PngContext& ctx) {
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &ctx, OnPngError, OnPngWarning);
    if (png == nullptr) {
        std::snprintf(ctx.message, sizeof ctx.message, "libpng could not start");
        return false;
    }
    info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        if (ctx.message[0] == '\0') std::snprintf(ctx.message, sizeof ctx.message, "libpng could not start");
        return false;
    }
    ctx.file = file;
    png_set_write_fn(png, &ctx, OnPngWrite, OnPngFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    return true;
}

bool Row(png_structp png, const Rgb8* row) {
    if (setjmp(png_jmpbuf(png))) return false;
    // libpng takes the row as writable but only reads it.
    png_write_row(png, reinterpret_cast<png_const_bytep>(row));
    return true;
}

bool End(png_structp png) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

struct PngWriter::State {
    std::string name;
    int width = 0, height = 0, rows = 0;
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngContext ctx;
};

PngWriter::PngWriter(std::FILE* file, std::string name, int width, int height) {
    if (width <= 0 || height <= 0) throw PngError(name + ": nothing to write (empty image)");
    state_ = std::make_unique<State>();
    state_->name = std::move(name);
    state_->width = width;
    state_->height = height;
    if (!Start(file, width, height, state_->png, state_->info, state_->ctx)) Fail();
}

PngWriter::~PngWriter() {
    if (state_ && state_->png != nullptr) png_destroy_write_struct(&state_->png, &state_->info);
}

void PngWriter::WriteRow(const Rgb8* row) {
    if (state_->rows >= state_->height || !Row(state_->png, row)) Fail();
    ++state_->rows;
}

void PngWriter::Finish() {
    if (state_->rows != state_->height || !End(state_->png)) Fail();
}

void PngWriter::Fail() {
    const std::string why = state_->ctx.message[0] != '\0' ? state_->ctx.message
                            : state_->rows >= state_->height ? "more rows than the picture has"
                                                             : "fewer rows than the picture has";
    throw PngError("cannot write " + state_->name + ": " + why);
}

void EncodePng(const Image& image, std::FILE* file, const std::string& name) {
    PngWriter png(file, name, image.width, image.height);
    for (int y = 0; y < image.height; ++y) png.WriteRow(&image.pixels[static_cast<std::size_t>(y) * image.width]);
    png.Finish();
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
