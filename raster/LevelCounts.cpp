#include "raster/LevelCounts.h"

#include <limits>

namespace morvane {

char CellDecision(std::int64_t ones, std::int64_t zeros) {
    // The ratio in 32-bit float; no zeros with some ones is +infinity, and
    // an empty cell (0 / 0, not a number) stays undecided.
    if (ones == 0 && zeros == 0) return ' ';
    const float ratio = zeros == 0 ? std::numeric_limits<float>::infinity()
                                   : static_cast<float>(ones) / static_cast<float>(zeros);
    if (ratio >= 1.5f) return '1';
    if (ratio <= 0.6f) return '0';
    return ' ';
}

}  // namespace morvane
