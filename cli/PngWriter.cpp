#include "cli/PngWriter.h"

#include <CLI/CLI.hpp>
#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "cli/CliError.h"
#include "cli/OutputFile.h"

namespace morvane::cli {

static_assert(kMaxPngSide <= PNG_USER_WIDTH_MAX && kMaxPngSide <= PNG_USER_HEIGHT_MAX);

namespace {

// Keeps libpng's message; libpng then longjmps back to WritePng.
void OnPngError(png_structp png, png_const_charp message) {
    auto* reason = static_cast<std::string*>(png_get_error_ptr(png));
    *reason = message ? message : "libpng failed";
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// Everything that touches libpng between setjmp and longjmp lives here, with
// no objects that need destructors. Returns false on a libpng error.
bool Encode(std::FILE* file, const RgbImage& image, std::string* reason) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, reason, OnPngError, OnPngWarning);
    if (!png) {
        *reason = "out of memory";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        if (reason->empty()) *reason = "out of memory";
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
    for (std::int32_t y = 0; y < image.height; ++y)
        png_write_row(png, image.rgb.data() + static_cast<std::size_t>(y) * stride);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

void CheckPngSize(std::int64_t width, std::int64_t height) {
    if (width > kMaxPngSide || height > kMaxPngSide)
        throw CLI::ValidationError("--size", std::to_string(width) + "x" + std::to_string(height) +
                                                 " is too large for a PNG image; at most " +
                                                 std::to_string(kMaxPngSide) + " pixels wide and high");
}

void WritePng(const std::string& path, const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0) throw CannotWrite(path, "a PNG image needs at least one pixel");
    CheckPngSize(image.width, image.height);
    OutputFile out(path);
    std::string reason;
    if (!Encode(out.File(), image, &reason)) throw CannotWrite(path, reason);
    out.Commit();
}

}  // namespace morvane::cli
