#include "align/TimeTrueSignal.h"

#include <algorithm>
#include <cstdlib>

namespace morvane {

std::vector<std::int64_t> WindowStarts(const LevelTimeline& timeline, std::int64_t n, std::int64_t window) {
    std::vector<std::int64_t> start(static_cast<std::size_t>(std::max<std::int64_t>(0, n)));
    if (timeline.LevelCount() == n && !timeline.Calls().empty()) {
        const std::int64_t w = timeline.Window();
        for (const DemodCall& call : timeline.Calls())
            for (std::int32_t j = 0; j < call.levelCount; ++j)
                start[static_cast<std::size_t>(call.firstLevel + j)] = call.firstSample + j * w;
    } else {
        for (std::int64_t k = 0; k < n; ++k) start[static_cast<std::size_t>(k)] = k * window;
    }
    return start;
}

TimeTrueSignal MakeTimeTrueSignal(const std::vector<std::int32_t>& levels, const LevelTimeline& timeline) {
    TimeTrueSignal out;
    const auto n = static_cast<std::int64_t>(levels.size());
    if (n == 0) return out;
    if (timeline.LevelCount() != n || timeline.Calls().empty()) {
        out.window = 80;
        out.levels = levels;
        return out;
    }
    out.window = timeline.Window();
    const std::int64_t w = out.window;
    const std::vector<std::int64_t> start = WindowStarts(timeline, n, w);
    out.originSample = start[0];
    const std::int64_t gridCount = (start[static_cast<std::size_t>(n - 1)] - out.originSample) / w + 1;
    out.levels.resize(static_cast<std::size_t>(gridCount));
    std::size_t k = 0;
    for (std::int64_t i = 0; i < gridCount; ++i) {
        const std::int64_t t = out.originSample + i * w;
        while (k + 1 < start.size() && std::llabs(start[k + 1] - t) <= std::llabs(start[k] - t)) ++k;
        out.levels[static_cast<std::size_t>(i)] = levels[k];
    }
    return out;
}

}  // namespace morvane
