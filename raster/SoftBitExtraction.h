#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "dsp/SoftWindow.h"
#include "raster/RasterParams.h"
#include "raster/SoftSums.h"

namespace morvane {

/// The bit string of an aligned raster read from the windows' tone energies
/// instead of the levels: the same rows and cells as ExtractBits (count,
/// offset, slant and gridWidth; a cell is gridWidth / 2 windows), but every
/// cell is decided, never left blank. The windows' tone correlations are
/// summed over the cell (in phase: one correlation over the whole cell); the
/// cell is '1' when the tone-1 sum is the stronger and '0' otherwise (so an
/// all-silent cell is '0', as a level of 128 counts as a zero).
/// `trim` (0 … (cell − 1) / 2, so that a full cell keeps a window) leaves that
/// many windows out at each end of a cell, where a bit edge falls when the
/// grid is slightly off; a cell at the stream's end too short to keep anything
/// after trimming is read whole (see SoftSums).
/// Gives the empty text for an empty stream, a start outside it, or a
/// gridWidth below 2. Throws std::invalid_argument for a trim outside its range.
std::string ExtractSoftBits(const std::vector<SoftWindow>& soft, const RasterParams& params, std::int32_t trim = 0);

}  // namespace morvane
