#include "align/FoldProfile.h"

#include <algorithm>
#include <cmath>

namespace morvane {

std::vector<double> FoldProfile(const std::vector<double>& values, std::int64_t begin, std::int64_t end,
                                double period, std::int32_t bins) {
    std::vector<double> sum(static_cast<std::size_t>(std::max(bins, 1)), 0.0);
    std::vector<std::int32_t> count(sum.size(), 0);
    begin = std::max<std::int64_t>(begin, 0);
    end = std::min<std::int64_t>(end, static_cast<std::int64_t>(values.size()));
    if (period <= 0.0 || bins < 1 || end <= begin) return sum;
    // The phase advances by 1 / period a step; it is kept in [0, 1).
    const double step = 1.0 / period;
    double phase = 0.5 * step;
    for (std::int64_t i = begin; i < end; ++i) {
        auto b = static_cast<std::int32_t>(phase * bins);
        if (b >= bins) b = bins - 1;
        sum[static_cast<std::size_t>(b)] += values[static_cast<std::size_t>(i)];
        ++count[static_cast<std::size_t>(b)];
        phase += step;
        if (phase >= 1.0) phase -= 1.0;
    }
    for (std::size_t b = 0; b < sum.size(); ++b) sum[b] = count[b] ? sum[b] / count[b] : 0.0;
    // With a period close to a whole number of steps, only some bins are
    // hit: an empty bin takes the mean of the bin before it (round the frame).
    const auto first = std::find_if(count.begin(), count.end(), [](std::int32_t c) { return c > 0; });
    if (first == count.end()) return sum;
    const auto from = static_cast<std::size_t>(first - count.begin());
    for (std::size_t k = 1; k < sum.size(); ++k) {
        const std::size_t b = (from + k) % sum.size();
        if (count[b] == 0) sum[b] = sum[(b + sum.size() - 1) % sum.size()];
    }
    return sum;
}

FramePhase BestFramePhase(const std::vector<double>& profile, double stopBits, double amplitude, int leadBits) {
    const auto bins = static_cast<std::int32_t>(profile.size());
    FramePhase best;
    best.plateau = -1e300;
    best.gain = -1e300;
    if (bins < 2) return best;
    const double frameBits = leadBits + stopBits;
    const auto startBins = std::max<std::int32_t>(1, static_cast<std::int32_t>(std::lround(bins / frameBits)));
    const auto stopBins = std::max<std::int32_t>(1, static_cast<std::int32_t>(std::lround(bins * stopBits / frameBits)));
    // Prefix sums over the profile taken twice round, so stretches may wrap.
    std::vector<double> prefix(static_cast<std::size_t>(2 * bins + 1), 0.0);
    for (std::int32_t i = 0; i < 2 * bins; ++i) prefix[i + 1] = prefix[i] + profile[static_cast<std::size_t>(i % bins)];
    const auto range = [&](std::int32_t from, std::int32_t length) {  // from ≥ 0
        return prefix[from + length] - prefix[from];
    };
    for (std::int32_t phi = 0; phi < bins; ++phi) {
        const double startSum = range(phi, startBins);
        const double stopSum = range((phi - stopBins + bins) % bins, stopBins);
        const double plateau = (stopSum - startSum) / (startBins + stopBins);
        const double gain = 2.0 * (stopSum - startSum) - amplitude * (startBins + stopBins);
        if (gain > best.gain) best = {phi, plateau, gain};
    }
    return best;
}

}  // namespace morvane
