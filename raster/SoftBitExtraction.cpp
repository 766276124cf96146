#include "raster/SoftBitExtraction.h"

#include "raster/CellWalker.h"

namespace morvane {

std::string ExtractSoftBits(const std::vector<SoftWindow>& soft, const RasterParams& params, std::int32_t trim) {
    return WalkCells(soft, params, SoftSums(CellSize(params), trim));
}

}  // namespace morvane
