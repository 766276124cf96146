#include "align/SoftSpanBits.h"

#include "raster/SoftSums.h"

namespace morvane {

namespace {
// The part of a bit whose correlations are summed: nearly the whole bit,
// a little trimmed at both ends where a tracked edge may sit off by a window.
constexpr double kSumFrom = 0.05;
constexpr double kSumTo = 0.95;
}  // namespace

SoftSpanBits::SoftSpanBits(const TimeTrueSignal& grid, const LevelTimeline& timeline,
                           const std::vector<SoftWindow>& soft)
    : m_grid(grid), m_spans(timeline, soft, grid.window) {}

char SoftSpanBits::Decide(const FrameBit& bit) const {
    const double a = m_grid.SampleOf(bit.At(kSumFrom));
    const double b = m_grid.SampleOf(bit.At(kSumTo));
    return SoftCellDecision(m_spans.Over(a, b).Evidence());
}

}  // namespace morvane
