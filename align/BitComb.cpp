#include "align/BitComb.h"

#include <cmath>
#include <cstdint>

namespace morvane {

double BitCombScore(const std::vector<double>& changes, double frameBits) {
    const auto bins = static_cast<std::int64_t>(changes.size());
    if (bins < 2 || !(frameBits >= 1.0)) return 0.0;
    // Prefix sums over the fold taken twice round, so windows may wrap.
    std::vector<double> prefix(static_cast<std::size_t>(2 * bins + 1), 0.0);
    for (std::int64_t i = 0; i < 2 * bins; ++i)
        prefix[static_cast<std::size_t>(i + 1)] = prefix[static_cast<std::size_t>(i)] + changes[static_cast<std::size_t>(i % bins)];
    const double bit = static_cast<double>(bins) / frameBits;  // bins per bit
    const auto half = std::max<std::int64_t>(1, std::lround(bit / 6.0));
    // Changes within `half` bins of `centre` (bins, any real ≥ 0).
    const auto around = [&](double centre) {
        const std::int64_t c = std::lround(centre) % bins;
        const std::int64_t from = (c - half + bins) % bins;
        return prefix[static_cast<std::size_t>(from + 2 * half)] - prefix[static_cast<std::size_t>(from)];
    };
    const auto edges = static_cast<std::int32_t>(std::floor(frameBits));
    double best = 0.0;
    for (std::int64_t phase = 0; phase < bins; ++phase) {
        double score = 0.0;
        for (std::int32_t k = 0; k < edges; ++k) {
            const double edge = static_cast<double>(phase) + k * bit;
            score += around(edge) - around(edge + 0.5 * bit);
        }
        if (score > best) best = score;
    }
    return best;
}

}  // namespace morvane
