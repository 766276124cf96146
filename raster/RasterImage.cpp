#include "raster/RasterImage.h"

#include <algorithm>
#include <stdexcept>

#include "raster/RasterWalk.h"

namespace morvane {
namespace {

constexpr std::uint8_t kBackground = 255;
constexpr std::uint8_t kGrid = 200;

void SetPixel(RgbImage& image, std::int64_t x, std::int64_t y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    std::uint8_t* px = &image.rgb[static_cast<std::size_t>((y * image.width + x) * 3)];
    px[0] = r;
    px[1] = g;
    px[2] = b;
}

}  // namespace

std::int32_t Brightness(std::int32_t level, std::int32_t contrastMode) {
    std::int64_t v = level;
    if (contrastMode == 1) {
        v = level > 128 ? static_cast<std::int64_t>(level * 1.5) : static_cast<std::int64_t>(level / 1.5);
    } else if (contrastMode == 2) {
        v = level > 128 ? 2 * static_cast<std::int64_t>(level) : level / 2;
    }
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, 0, 255));
}

std::vector<std::int64_t> GridPositions(std::int32_t gridWidth, std::int32_t gridShift, std::int32_t width) {
    std::vector<std::int64_t> xs;
    if (gridWidth <= 0) return xs;
    for (std::int64_t m = 0; m * gridWidth < width; ++m) xs.push_back(m * gridWidth + gridShift);
    return xs;
}

RgbImage RenderRaster(const std::vector<std::int32_t>& levels, const RasterParams& params,
                      std::int32_t width, std::int32_t height) {
    if (width < 0 || height < 0) throw std::invalid_argument("raster size must not be negative");
    if (static_cast<std::int64_t>(width) * height > kMaxRasterPixels)
        throw std::invalid_argument("raster size is too large");
    RgbImage image;
    image.width = width;
    image.height = height;
    image.rgb.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3, kBackground);
    if (width == 0 || height == 0) return image;

    WalkRaster(static_cast<std::int64_t>(levels.size()), params.count, params.offset, params.slant, height,
               [&](std::int64_t row, std::int32_t column, std::int64_t index) {
                   // A block that would reach the last pixel column is skipped, not wrapped.
                   const std::int64_t x = 2 * static_cast<std::int64_t>(column);
                   if (x + 2 >= width) return;
                   const auto v = static_cast<std::uint8_t>(Brightness(levels[static_cast<std::size_t>(index)],
                                                                       params.contrastMode));
                   for (std::int64_t y = 3 * row; y <= 3 * row + 1; ++y) {
                       SetPixel(image, x, y, v, 0, 0);
                       SetPixel(image, x + 1, y, v, 0, 0);
                   }
               });

    if (params.showGrid != 0) {
        for (const std::int64_t x : GridPositions(params.gridWidth, params.gridShift, width)) {
            if (x < 0 || x >= width) continue;
            for (std::int64_t y = 0; y < height; ++y) SetPixel(image, x, y, kGrid, kGrid, kGrid);
        }
    }
    return image;
}

}  // namespace morvane
