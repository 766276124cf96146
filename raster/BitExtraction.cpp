#include "raster/BitExtraction.h"

#include "raster/CellWalker.h"

namespace morvane {

std::string ExtractBits(const std::vector<std::int32_t>& levels, const RasterParams& params) {
    return WalkCells(levels, params, LevelCounts{});
}

}  // namespace morvane
