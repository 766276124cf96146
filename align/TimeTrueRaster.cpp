#include "align/TimeTrueRaster.h"

#include <cmath>

namespace morvane {

std::vector<std::int32_t> TimeTrueRows(const std::vector<std::int32_t>& levels, const LevelTimeline& timeline,
                                       RasterParams& params) {
    const auto n = static_cast<std::int64_t>(levels.size());
    if (params.count <= 0 || params.offset < 0 || params.offset >= n || !std::isfinite(params.slant)) return levels;
    const bool timed = timeline.LevelCount() == n;
    const std::int64_t window = timed ? timeline.Window() : 80;
    const auto sampleOf = [&](std::int64_t level) { return timed ? timeline.SampleOf(level) : level * window; };
    const auto levelNear = [&](double sample) -> std::int64_t {
        const auto s = static_cast<std::int64_t>(std::floor(sample));
        std::int64_t after = timed ? timeline.LevelAtOrAfter(s) : (s + window - 1) / window;
        if (after < 0) after = 0;
        if (after > 0 && (after >= n || std::fabs(static_cast<double>(sampleOf(after - 1)) - sample) <=
                                            std::fabs(static_cast<double>(sampleOf(after)) - sample)))
            return after - 1;
        return after;
    };
    std::vector<std::int32_t> rows;
    const double origin = static_cast<double>(sampleOf(params.offset));
    const double rowSamples = (static_cast<double>(params.count) + params.slant) * static_cast<double>(window);
    for (std::int64_t r = 0;; ++r) {
        const double at = origin + static_cast<double>(r) * rowSamples;
        std::int64_t first = r == 0 ? params.offset : levelNear(at);
        if (first < 0 || first >= n || (r > 0 && rowSamples <= 0.0 && r >= n)) break;
        if (r > 0 && at > static_cast<double>(sampleOf(n - 1))) break;
        const std::int64_t last = std::min(n, first + params.count);
        rows.insert(rows.end(), levels.begin() + first, levels.begin() + last);
        if (static_cast<std::int64_t>(rows.size()) >= n) {  // as many levels as the plain walk visits at most
            rows.resize(static_cast<std::size_t>(n));
            break;
        }
        if (last - first < params.count) break;
    }
    params.offset = 0;
    params.slant = 0.0f;
    return rows;
}

}  // namespace morvane
