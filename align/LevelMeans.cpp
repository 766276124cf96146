#include "align/LevelMeans.h"

#include <algorithm>
#include <cmath>

#include "raster/LevelCounts.h"

namespace morvane {

namespace {
constexpr double kMeanFrom = 0.1;  // the part of a bit whose levels are averaged
constexpr double kMeanTo = 0.9;
}  // namespace

LevelMeans::LevelMeans(const TimeTrueSignal& signal) : m_levels(signal.levels), m_prefix(signal.levels.size() + 1, 0.0) {
    for (std::size_t i = 0; i < m_levels.size(); ++i) m_prefix[i + 1] = m_prefix[i] + (m_levels[i] - 128);
}

double LevelMeans::Integral(double x) const {
    const std::size_t n = m_levels.size();
    if (x <= 0.0 || n == 0) return 0.0;
    if (x >= static_cast<double>(n)) return m_prefix[n];
    const auto i = static_cast<std::size_t>(x);
    return m_prefix[i] + (x - static_cast<double>(i)) * (m_levels[i] - 128);
}

std::int32_t LevelMeans::MeanLevel(double a, double b) const {
    const double mean = (Integral(b) - Integral(a)) / (b - a);
    return 128 + static_cast<std::int32_t>(std::clamp(std::trunc(mean), -125.0, 125.0));
}

std::int32_t LevelMeans::BitLevel(const FrameBit& bit) const { return MeanLevel(bit.At(kMeanFrom), bit.At(kMeanTo)); }

char LevelMeans::Decide(const FrameBit& bit) const {
    LevelCounts cell;
    cell.Add(BitLevel(bit), 0);
    return cell.Decide();
}

}  // namespace morvane
