#pragma once
#include <cstdint>
#include <string>

#include "raster/RasterImage.h"

namespace morvane::cli {

/// The widest and highest image libpng writes by default (its
/// PNG_USER_WIDTH_MAX and PNG_USER_HEIGHT_MAX); the raster also keeps to
/// kMaxRasterPixels in all.
inline constexpr std::int64_t kMaxPngSide = 1000000;

/// Throws CLI::ValidationError (a usage error) when libpng would refuse an
/// image of this size, so nothing is written for it.
void CheckPngSize(std::int64_t width, std::int64_t height);

/// Writes the image as an 8-bit RGB PNG file, pixel for pixel, through a temporary
/// beside it, so a failure leaves an earlier file as it was. Throws
/// CliError "cannot write 'PATH': REASON" when it cannot.
void WritePng(const std::string& path, const RgbImage& image);

}  // namespace morvane::cli
