#pragma once
#include <cmath>
#include <cstdint>
#include <optional>

namespace morvane {

/// Whether the walk reads at position p: a finite number above −1 (between
/// −1 and 0 it reads index 0) and below 2⁶³, beyond any stream length. At any
/// other position the walk ends.
inline bool WalkCanRead(float p) {
    constexpr float kPositionLimit = 9223372036854775808.0f;  // 2⁶³
    return std::isfinite(p) && p > -1.0f && p < kPositionLimit;
}

/// Walks a level stream of n levels row by row, as drawing and bit extraction
/// both see it. The position is one 32-bit float that gains 1.0 per level and
/// `slant` per completed row. onVisit(row, column, index) is called for every
/// level visited; onRowEnd() each time a row completes. With a row limit H
/// (the image height in pixels) the walk ends once 3 × row ≥ H. The walk ends
/// when the index leaves the stream, when the position is not a finite number
/// within it, or after n steps.
template <typename OnVisit, typename OnRowEnd>
void WalkRaster(std::int64_t n, std::int32_t count, std::int32_t offset, float slant,
                std::optional<std::int32_t> rowLimit, OnVisit&& onVisit, OnRowEnd&& onRowEnd) {
    if (n <= 0) return;
    float p = static_cast<float>(offset);
    std::int32_t column = 0;
    std::int64_t row = 0;
    for (std::int64_t steps = 0;;) {
        // Truncation toward zero: a position between −1 and 0 reads index 0.
        if (!WalkCanRead(p)) return;
        const std::int64_t index = static_cast<std::int64_t>(p);
        if (index >= n) return;
        onVisit(row, column, index);
        ++column;
        p += 1.0f;
        if (column == count) {
            column = 0;
            ++row;
            p += slant;
            onRowEnd();
            if (rowLimit && 3 * row >= *rowLimit) return;
        }
        if (++steps >= n) return;
    }
}

template <typename OnVisit>
void WalkRaster(std::int64_t n, std::int32_t count, std::int32_t offset, float slant,
                std::optional<std::int32_t> rowLimit, OnVisit&& onVisit) {
    WalkRaster(n, count, offset, slant, rowLimit, onVisit, [] {});
}

}  // namespace morvane
