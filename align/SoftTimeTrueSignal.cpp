#include "align/SoftTimeTrueSignal.h"

#include <algorithm>
#include <cmath>

#include "align/SoftSpans.h"

namespace morvane {

TimeTrueSignal MakeSoftTimeTrueSignal(const TimeTrueSignal& grid, const LevelTimeline& timeline,
                                      const std::vector<SoftWindow>& soft, double bit) {
    TimeTrueSignal out;
    out.originSample = grid.originSample;
    out.window = grid.window;
    out.levels.assign(grid.levels.size(), 128);
    if (soft.empty() || grid.window < 1) return out;
    const SoftSpans spans(timeline, soft, grid.window);
    const double half = 0.5 * std::max(1.0, bit);
    for (std::size_t i = 0; i < out.levels.size(); ++i) {
        const double centre = static_cast<double>(i) + 0.5;
        const SoftSpans::Sum sum = spans.Over(grid.SampleOf(centre - half), grid.SampleOf(centre + half));
        const double energy = sum.Energy();
        if (!(energy > 0.0)) continue;
        const double ratio = sum.Evidence() / energy;
        if (ratio == 0.0) continue;
        const double step = std::clamp(std::trunc(125.0 * ratio), -125.0, 125.0);
        out.levels[i] = 128 + static_cast<std::int32_t>(ratio > 0.0 ? std::max(1.0, step) : std::min(-1.0, step));
    }
    return out;
}

}  // namespace morvane
