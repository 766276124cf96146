#pragma once
#include <cstdint>
#include <vector>

#include "raster/RasterParams.h"

namespace morvane {

/// What the window shows as its raster: the level stream the processing loop
/// appends to (3 … 253, 128 for silence) and the parameters that lay it out.
/// The results view draws it and bit extraction reads it; neither owns it.
struct RasterModel {
    std::vector<std::int32_t> levels;
    RasterParams params;
};

}  // namespace morvane
