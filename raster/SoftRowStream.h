#pragma once
#include "raster/CellRowStream.h"
#include "raster/SoftSums.h"

namespace morvane {

/// Soft bit extraction for a stream that grows while it is read: the rows of
/// ExtractSoftBits, each given once its last window has arrived. Built with
/// SoftSums(CellSize(params), trim).
using SoftRowStream = CellRowStream<SoftSums>;

}  // namespace morvane
