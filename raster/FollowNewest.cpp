#include "raster/FollowNewest.h"

#include <cmath>
#include <limits>

namespace morvane {

std::int32_t FollowNewestOffset(std::int64_t n, const RasterParams& params, std::int32_t height) {
    const double perRow = static_cast<double>(params.count) + static_cast<double>(params.slant);
    // The walk draws a row while its first pixel line lies inside the view.
    const std::int64_t rowsFit = (static_cast<std::int64_t>(height) + 2) / 3;
    if (params.count <= 0 || !(perRow >= 1.0) || rowsFit <= 0 || n <= 0) return params.offset;
    const double rows = std::ceil((static_cast<double>(n) - params.offset) / perRow);
    double offset = params.offset + (rows - static_cast<double>(rowsFit)) * perRow;
    if (offset < 0) offset -= std::floor(offset / perRow) * perRow;  // the first whole row at or after 0
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::min(offset, kMax));
}

}  // namespace morvane
