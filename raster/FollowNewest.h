#pragma once
#include <cstdint>

#include "raster/RasterParams.h"

namespace morvane {

/// The Offset at which a raster `height` pixels high (one row every 3 pixels)
/// shows the newest rows of a stream of `n` levels: params.offset moved
/// forward or back by whole rows of count + slant levels, so the columns keep
/// their alignment, until the last row drawn holds the newest level. Stays
/// params.offset when the layout has no rows to move by (count ≤ 0, count +
/// slant < 1, height < 1 or n = 0). Never negative; at most 2³¹ − 1.
std::int32_t FollowNewestOffset(std::int64_t n, const RasterParams& params, std::int32_t height);

}  // namespace morvane
