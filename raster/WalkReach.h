#pragma once
#include <cstdint>

#include "raster/RasterParams.h"
#include "raster/ResumableRasterWalk.h"

namespace morvane {

/// How far back a raster walk can still reach from where it stands, so that
/// a stream read in pieces keeps only the values a later row may visit.
class WalkReach {
public:
    explicit WalkReach(const RasterParams& params) : m_count(params.count), m_slant(params.slant) {}

    /// The lowest stream index `walk` can still visit. Rows that slant
    /// backwards (negative slant) may reach behind its next index; when the
    /// row starts go on falling the walk may reach back to any index, and
    /// then 0 is given (so too for rows of more than 2²⁴ levels with a
    /// negative slant). Gives `seen` (the stream length so far) when the walk
    /// will read nothing more or `reads` is false. Costs up to 2 × count float
    /// additions once per row for a negative slant.
    std::int64_t FirstNeeded(const ResumableRasterWalk& walk, bool reads, std::int64_t seen);

private:
    std::int32_t m_count;
    float m_slant;
    // The finding for the row last asked in.
    std::int64_t m_boundRow = -1;
    std::int64_t m_boundNextRows = 0;  // lowest index of the rows after the open one (-1: any)
};

}  // namespace morvane
