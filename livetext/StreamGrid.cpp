#include "livetext/StreamGrid.h"

#include <algorithm>

namespace morvane {

StreamGrid::StreamGrid(const std::vector<std::int32_t>& levels, const LevelTimeline& timeline, std::int64_t base)
    : m_levels(levels),
      m_timeline(timeline),
      m_base(std::max<std::int64_t>(0, base)),
      m_timed(timeline.LevelCount() == m_base + static_cast<std::int64_t>(levels.size()) && !timeline.Calls().empty()),
      m_window(timeline.Window()) {}

std::int64_t StreamGrid::StartOf(std::int64_t level) const {
    return m_timed ? m_timeline.SampleOf(level) : level * m_window;
}

std::int64_t StreamGrid::FirstAtOrAfter(std::int64_t sample) const {
    if (m_timed) return m_timeline.LevelAtOrAfter(sample);
    if (sample <= 0) return 0;
    return std::min(Levels(), (sample + m_window - 1) / m_window);
}

TimeTrueSignal StreamGrid::Lay(std::int64_t originSample, std::int64_t g0, std::int64_t g1, std::int64_t firstLevel,
                               std::int64_t endLevel) const {
    TimeTrueSignal out;
    out.window = m_window;
    out.originSample = originSample + g0 * m_window;
    out.levels.assign(static_cast<std::size_t>(std::max<std::int64_t>(0, g1 - g0)), 128);
    firstLevel = std::max(m_base, firstLevel);
    endLevel = std::min(endLevel, Levels());
    if (out.levels.empty() || firstLevel >= endLevel) return out;
    // The nearest level of the first point, then onward as the points advance.
    std::int64_t k = std::clamp(FirstAtOrAfter(out.originSample), firstLevel, endLevel - 1);
    if (k > firstLevel) --k;
    std::int64_t start = StartOf(k);
    std::int64_t nextStart = k + 1 < endLevel ? StartOf(k + 1) : 0;
    for (std::size_t i = 0; i < out.levels.size(); ++i) {
        const std::int64_t t = out.originSample + static_cast<std::int64_t>(i) * m_window;
        while (k + 1 < endLevel && std::llabs(nextStart - t) <= std::llabs(start - t)) {
            ++k;
            start = nextStart;
            if (k + 1 < endLevel) nextStart = StartOf(k + 1);
        }
        out.levels[i] = m_levels[static_cast<std::size_t>(k - m_base)];
    }
    return out;
}

std::int64_t StreamGrid::SettledPoints(std::int64_t originSample, std::int64_t endLevel) const {
    endLevel = std::min(endLevel, Levels());
    if (endLevel <= 0) return 0;
    const std::int64_t last = StartOf(endLevel - 1) - originSample;
    if (last < 0) return 0;
    return last / m_window + 1;
}

void StreamGrid::Cut(const std::vector<SoftWindow>& soft, std::int64_t a, std::int64_t b, LevelTimeline& timeline,
                     std::vector<SoftWindow>& windows) const {
    timeline = LevelTimeline(m_window);
    windows.clear();
    const std::int64_t n = std::min(Levels(), m_base + static_cast<std::int64_t>(soft.size()));
    std::int64_t first = std::max(m_base, std::min(n, FirstAtOrAfter(a - m_window + 1)));
    std::int64_t end = std::min(n, FirstAtOrAfter(b));
    if (first >= end) return;
    windows.assign(soft.begin() + (first - m_base), soft.begin() + (end - m_base));
    // Every demodulator call in the cut, with its windows at their true samples.
    while (first < end) {
        std::int64_t run = end - first;
        if (m_timed) {
            const auto& calls = m_timeline.Calls();
            auto it = std::upper_bound(calls.begin(), calls.end(), first,
                                       [](std::int64_t l, const DemodCall& c) { return l < c.firstLevel; });
            --it;
            run = std::min(run, it->firstLevel + it->levelCount - first);
        }
        const auto count = static_cast<std::int32_t>(run);
        timeline.Record(StartOf(first), timeline.LevelCount(), count, 2 * count * m_window);
        first += run;
    }
}

}  // namespace morvane
