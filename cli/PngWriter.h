#pragma once
#include <string>

#include "raster/RasterImage.h"

namespace morvane::cli {

/// Writes the image as an 8-bit RGB PNG file, pixel for pixel. Throws
/// CliError "cannot write 'PATH': REASON" when it cannot.
void WritePng(const std::string& path, const RgbImage& image);

}  // namespace morvane::cli
