#pragma once
#include <cstdint>
#include <vector>

#include "dsp/LevelTimeline.h"
#include "raster/RasterParams.h"

namespace morvane {

/// The time-true raster: row r starts at the level whose window starts
/// nearest to the sample position of level `offset` plus r × (count + slant)
/// level windows, and holds the `count` levels from there. The rows are laid
/// end to end in a new stream; `params` is changed to offset 0 and slant 0,
/// so that the raster image and bit extraction of the new stream show the
/// time-true raster. A steady transmission thus stands straight for hours
/// although every demodulator call drops a few samples. A count of 0 or less,
/// an offset outside the stream or a slant that is not a finite number leave
/// levels and params as they are.
std::vector<std::int32_t> TimeTrueRows(const std::vector<std::int32_t>& levels, const LevelTimeline& timeline,
                                       RasterParams& params);

}  // namespace morvane
