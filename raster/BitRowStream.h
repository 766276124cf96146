#pragma once
#include "raster/CellRowStream.h"
#include "raster/LevelCounts.h"

namespace morvane {

/// Bit extraction of the levels for a stream that grows while it is read:
/// the rows of ExtractBits, each given once its last level has arrived.
using BitRowStream = CellRowStream<LevelCounts>;

}  // namespace morvane
