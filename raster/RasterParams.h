#pragma once
#include <cstdint>

namespace morvane {

/// How the level stream is laid out as a raster (see RasterWalk.h).
struct RasterParams {
    std::int32_t count = 64;        // levels per row; ≤ 0 never ends a row
    std::int32_t offset = 0;        // stream index where the walk starts
    float slant = 0.0f;             // extra advance per completed row, in levels
    std::int32_t gridWidth = 24;    // pixels between grid lines; a bit cell is gridWidth / 2 levels
    std::int32_t gridShift = 0;     // pixels added to every grid line's x
    std::int32_t showGrid = 1;      // non-zero: draw the grid
    std::int32_t contrastMode = 0;  // 0 plain, 1 moderate, 2 strong
};

}  // namespace morvane
