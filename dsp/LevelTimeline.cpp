#include "dsp/LevelTimeline.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace morvane {

LevelTimeline::LevelTimeline(std::int32_t window) : m_window(window) {
    if (window < 1) throw std::invalid_argument("a timeline needs a window of at least one sample");
}

void LevelTimeline::Clear() { m_calls.clear(); }

void LevelTimeline::Record(std::int64_t pendingStart, std::int64_t firstLevel, std::int32_t levelCount,
                           std::int32_t consumedBytes) {
    if (levelCount <= 0) return;
    const std::int64_t windows = static_cast<std::int64_t>(levelCount) * m_window;
    const std::int64_t dropped = consumedBytes / 2 - windows;
    if (consumedBytes < 0 || consumedBytes % 2 != 0 || dropped < 0)
        throw std::invalid_argument("a demodulator call cannot consume fewer samples than its windows cover");
    if (firstLevel != LevelCount())
        throw std::invalid_argument("timeline out of step with the level stream (level " + std::to_string(firstLevel) +
                                    " appended, " + std::to_string(LevelCount()) + " expected)");
    m_calls.push_back({firstLevel, pendingStart + dropped, static_cast<std::int32_t>(dropped), levelCount});
}

void LevelTimeline::Append(const DemodCall& call) {
    if (call.levelCount <= 0 || call.firstLevel != LevelCount())
        throw std::invalid_argument("a copied call out of step with the timeline (level " +
                                    std::to_string(call.firstLevel) + ", " + std::to_string(LevelCount()) +
                                    " expected)");
    m_calls.push_back(call);
}

std::int64_t LevelTimeline::LevelCount() const {
    return m_calls.empty() ? 0 : m_calls.back().firstLevel + m_calls.back().levelCount;
}

std::int64_t LevelTimeline::SampleOf(std::int64_t level) const {
    if (m_calls.empty() || level < 0) return level * m_window;
    // The last call that starts at or before the level.
    auto it = std::upper_bound(m_calls.begin(), m_calls.end(), level,
                               [](std::int64_t l, const DemodCall& c) { return l < c.firstLevel; });
    if (it == m_calls.begin()) return level * m_window;
    --it;
    return it->firstSample + (level - it->firstLevel) * m_window;
}

std::int64_t LevelTimeline::LevelAtOrAfter(std::int64_t sample) const {
    const std::int64_t n = LevelCount();
    if (m_calls.empty()) return 0;
    auto it = std::upper_bound(m_calls.begin(), m_calls.end(), sample,
                               [](std::int64_t s, const DemodCall& c) { return s < c.firstSample; });
    if (it == m_calls.begin()) return 0;
    --it;
    const std::int64_t offset = sample - it->firstSample;
    const std::int64_t inCall = (offset + m_window - 1) / m_window;
    if (inCall < it->levelCount) return it->firstLevel + inCall;
    return std::min(n, it->firstLevel + it->levelCount);
}

}  // namespace morvane
