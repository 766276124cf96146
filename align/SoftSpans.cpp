#include "align/SoftSpans.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "align/TimeTrueSignal.h"
#include "dsp/FskDemodulator.h"

namespace morvane {

SoftSpans::SoftSpans(const LevelTimeline& timeline, const std::vector<SoftWindow>& soft, std::int32_t window)
    : m_values(4 * soft.size()), m_window(window) {
    const auto n = static_cast<std::int64_t>(soft.size());
    const bool timed = timeline.LevelCount() == n && !timeline.Calls().empty();
    if (timed) m_window = timeline.Window();
    if (m_window < 1) throw std::invalid_argument("soft spans need windows of at least one sample");
    m_start = WindowStarts(timeline, n, m_window);
    // The processor's half-float conversion where it has one; the same values either way.
    UnpackSoftWindows(soft.data(), m_values.data(), soft.size());
}

SoftSpans::Sum SoftSpans::Over(double a, double b) const {
    Sum sum;
    if (!(b > a)) return sum;
    // The first window that may reach into [a, b) starts after a − window.
    const double before = std::floor(a) - static_cast<double>(m_window);
    auto k = static_cast<std::size_t>(
        std::upper_bound(m_start.begin(), m_start.end(), before,
                         [](double x, std::int64_t s) { return x < static_cast<double>(s); }) -
        m_start.begin());
    const auto w = static_cast<double>(m_window);
    for (; k < m_start.size() && static_cast<double>(m_start[k]) < b; ++k) {
        const auto s = static_cast<double>(m_start[k]);
        const double inside = std::min(b, s + w) - std::max(a, s);
        if (inside <= 0.0) continue;
        const double weight = inside / w;
        const float* v = m_values.data() + 4 * k;
        sum.tone1 += weight * std::complex<double>(v[0], v[1]);
        sum.tone2 += weight * std::complex<double>(v[2], v[3]);
    }
    return sum;
}

}  // namespace morvane
