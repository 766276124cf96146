#pragma once
#include <string>

#include "dsp/LevelStream.h"
#include "raster/RasterModel.h"
#include "raster/RasterParams.h"

namespace morvane {

/// The raster the window shows and "Extract bits" reads: the stream's levels
/// laid out by `params`, or with `timeTrue` its rows placed on the sound's
/// time line (see TimeTrueRows). The plain raster needs no copy: `shown` is
/// filled only for the time-true one, and the function returns whether it was.
bool PrepareTimeTrue(const LevelStream& stream, const RasterParams& params, bool timeTrue, RasterModel& shown);

/// The bit strings of the shown raster (one line per row, see ExtractBits)
/// and, for the plain raster of a stream that kept its tone energies, the
/// soft reading of the same rows (empty otherwise: the time-true rows have no
/// energies of their own).
struct ShownBits {
    std::string hard;
    std::string soft;
};
ShownBits ExtractShownBits(const LevelStream& stream, const RasterParams& params, bool timeTrue);

}  // namespace morvane
