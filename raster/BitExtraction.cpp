#include "raster/BitExtraction.h"

#include <limits>

#include "raster/RasterWalk.h"

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

std::string ExtractBits(const std::vector<std::int32_t>& levels, const RasterParams& params) {
    std::string bits;
    const std::int64_t h = params.gridWidth / 2;
    if (h < 1) return bits;

    // Every row is cut into cells of h levels as it is walked; a row ends
    // after `count` levels, the stream's end closes a partial row.
    std::int64_t inCell = 0, ones = 0, zeros = 0;
    bool rowOpen = false;
    const auto closeCell = [&] {
        if (inCell == 0) return;
        bits.push_back(CellDecision(ones, zeros));
        inCell = ones = zeros = 0;
    };
    const auto closeRow = [&] {
        closeCell();
        bits += "\r\n";
        rowOpen = false;
    };
    WalkRaster(
        static_cast<std::int64_t>(levels.size()), params.count, params.offset, params.slant, std::nullopt,
        [&](std::int64_t, std::int32_t, std::int64_t index) {
            rowOpen = true;
            if (levels[static_cast<std::size_t>(index)] >= 129) ++ones; else ++zeros;
            if (++inCell == h) closeCell();
        },
        closeRow);
    if (rowOpen) closeRow();
    return bits;
}

}  // namespace morvane
