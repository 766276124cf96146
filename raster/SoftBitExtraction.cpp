#include "raster/SoftBitExtraction.h"

#include <algorithm>
#include <complex>
#include <stdexcept>

#include "raster/RasterWalk.h"

namespace morvane {

char SoftCellDecision(double evidence) { return evidence > 0.0 ? '1' : '0'; }

void CheckSoftTrim(std::int64_t trim, std::int64_t cellSize) {
    if (trim < 0 || (cellSize >= 1 && trim > (cellSize - 1) / 2))
        throw std::invalid_argument("soft trim " + std::to_string(trim) + " leaves no window of a cell of " +
                                    std::to_string(cellSize));
}

char SoftCellOf(const std::vector<SoftWindow>& cell, std::int64_t cellSize, std::int64_t trim) {
    const auto n = static_cast<std::int64_t>(cell.size());
    std::int64_t first = trim;
    std::int64_t end = std::min(n, cellSize - trim);
    if (first >= end) first = 0, end = n;
    std::complex<double> tone1, tone2;
    for (std::int64_t i = first; i < end; ++i) {
        tone1 += cell[static_cast<std::size_t>(i)].Tone1();
        tone2 += cell[static_cast<std::size_t>(i)].Tone2();
    }
    return SoftCellDecision(std::norm(tone1) - std::norm(tone2));
}

std::string ExtractSoftBits(const std::vector<SoftWindow>& soft, const RasterParams& params, std::int32_t trim) {
    std::string bits;
    const std::int64_t h = params.gridWidth / 2;
    CheckSoftTrim(trim, h);
    if (h < 1) return bits;

    // The cell's windows, so that a trimmed middle can be summed once the
    // cell closes. The correlations share one phase reference, so a steady
    // tone adds up in phase over the cell while noise does not.
    std::vector<SoftWindow> cell;
    cell.reserve(static_cast<std::size_t>(std::min<std::int64_t>(h, 4096)));
    bool rowOpen = false;
    const auto closeCell = [&] {
        if (cell.empty()) return;
        bits.push_back(SoftCellOf(cell, h, trim));
        cell.clear();
    };
    const auto closeRow = [&] {
        closeCell();
        bits += "\r\n";
        rowOpen = false;
    };
    WalkRaster(
        static_cast<std::int64_t>(soft.size()), params.count, params.offset, params.slant, std::nullopt,
        [&](std::int64_t, std::int32_t, std::int64_t index) {
            rowOpen = true;
            cell.push_back(soft[static_cast<std::size_t>(index)]);
            if (static_cast<std::int64_t>(cell.size()) == h) closeCell();
        },
        closeRow);
    if (rowOpen) closeRow();
    return bits;
}

}  // namespace morvane
