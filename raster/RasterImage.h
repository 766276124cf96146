#pragma once
#include <cstdint>
#include <vector>

#include "raster/RasterParams.h"

namespace morvane {

/// An 8-bit RGB image, rows top to bottom, 3 bytes a pixel.
struct RgbImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> rgb;
};

/// Largest raster image accepted, in pixels (width × height).
inline constexpr std::int64_t kMaxRasterPixels = std::int64_t{1} << 26;

/// Brightness 0 … 255 of a level under a contrast mode (0 plain, 1 moderate, 2 strong).
std::int32_t Brightness(std::int32_t level, std::int32_t contrastMode);

/// x of every grid line, left to right, for an image `width` pixels wide; lines
/// outside 0 … width − 1 are included (they leave no pixels). A gridWidth of 0
/// or less gives no lines.
std::vector<std::int64_t> GridPositions(std::int32_t gridWidth, std::int32_t gridShift, std::int32_t width);

/// The width × height raster image of a level stream: white background, a 2 × 2
/// block of (v, 0, 0) per visited level, grid lines of (200, 200, 200) on top.
/// Sizes of 0 give an empty image; negative sizes or more than kMaxRasterPixels
/// throw std::invalid_argument.
RgbImage RenderRaster(const std::vector<std::int32_t>& levels, const RasterParams& params,
                      std::int32_t width, std::int32_t height);

}  // namespace morvane
