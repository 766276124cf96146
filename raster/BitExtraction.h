#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "raster/LevelCounts.h"
#include "raster/RasterParams.h"

namespace morvane {

/// The bit string of an aligned raster: one line per raster row, one character
/// per bit cell of gridWidth / 2 levels ('1', '0' or ' ' undecided), each line
/// ended by CR LF. Reads count, offset, slant and gridWidth only; a level of
/// 129 or more counts as a one. A cell is '1' when ones / zeros ≥ 1.5 and '0'
/// when it is ≤ 0.6 (32-bit float). The last line may come from a partial row.
/// Gives the empty text for an empty stream, a start outside it, or a
/// gridWidth below 2 (no cell of at least one level).
std::string ExtractBits(const std::vector<std::int32_t>& levels, const RasterParams& params);

}  // namespace morvane
