#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "views/RasterParams.h"

namespace morvane {

/// The bit string of an aligned raster: one line per raster row, one character
/// per bit cell of gridWidth / 2 levels ('1', '0' or ' ' undecided), each line
/// ended by CR LF. Reads count, offset, slant and gridWidth only.
std::string ExtractBits(const std::vector<std::int32_t>& levels, const RasterParams& params);

}  // namespace morvane
