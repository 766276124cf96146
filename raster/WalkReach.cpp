#include "raster/WalkReach.h"

#include <algorithm>
#include <limits>

#include "raster/RasterWalk.h"

namespace morvane {

namespace {
// Rows longer than this are not walked ahead: with a negative slant their
// levels are all kept.
constexpr std::int32_t kLongestRowWalkedAhead = 1 << 24;
constexpr std::int64_t kNothingNeeded = std::numeric_limits<std::int64_t>::max();

// Where the walk stands after `levels` more visits and the row's end, as it
// adds them: 1.0 per level, then the slant.
float AfterRow(float position, std::int64_t levels, float slant) {
    for (std::int64_t i = 0; i < levels; ++i) position += 1.0f;
    return position + slant;
}
}  // namespace

std::int64_t WalkReach::FirstNeeded(const ResumableRasterWalk& walk, bool reads, std::int64_t seen) {
    const float position = walk.Position();
    if (!reads || walk.Ended() || !WalkCanRead(position)) return seen;
    const auto next = static_cast<std::int64_t>(position);
    // Without a row end, or with rows that never step back, the position only rises
    // (a NaN slant ends the walk at the row's end).
    if (m_count <= 0 || !(m_slant < 0.0f)) return next;
    if (m_boundRow != walk.Rows()) {
        m_boundRow = walk.Rows();
        // Each row start follows from the one before by the same rounded
        // additions, a non-decreasing map: once a row starts at or after the
        // one before, every later row does too. So the open row and the next
        // one bound the walk when the row after that starts no earlier.
        if (m_count > kLongestRowWalkedAhead) {
            m_boundNextRows = -1;
        } else {
            const float nextRow = AfterRow(position, m_count - walk.Column(), m_slant);
            if (!WalkCanRead(nextRow)) {
                m_boundNextRows = kNothingNeeded;  // the walk ends with the open row
            } else {
                const float rowAfter = AfterRow(nextRow, m_count, m_slant);
                m_boundNextRows =
                    !WalkCanRead(rowAfter) || rowAfter >= nextRow ? static_cast<std::int64_t>(nextRow) : -1;
            }
        }
    }
    if (m_boundNextRows < 0) return 0;  // the rows walk back: any level may be read again
    return std::min(next, m_boundNextRows);
}

}  // namespace morvane
