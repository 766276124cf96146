#include "align/BitComb.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace morvane {

double BitCombScore(const std::vector<double>& changes, double frameBits) {
    const auto bins = static_cast<std::int64_t>(changes.size());
    if (bins < 2 || !(frameBits >= 1.0)) return 0.0;
    const double bit = static_cast<double>(bins) / frameBits;  // bins per bit
    const auto half = std::max<std::int64_t>(1, std::lround(bit / 6.0));
    // window[c]: the changes within `half` bins of bin c, taken round the
    // fold, twice over so that an index up to 2 bins − 1 needs no wrapping.
    std::vector<double> prefix(static_cast<std::size_t>(3 * bins + 1), 0.0);
    for (std::int64_t i = 0; i < 3 * bins; ++i)
        prefix[static_cast<std::size_t>(i + 1)] = prefix[static_cast<std::size_t>(i)] + changes[static_cast<std::size_t>(i % bins)];
    std::vector<double> window(static_cast<std::size_t>(2 * bins));
    for (std::int64_t c = 0; c < 2 * bins; ++c) {
        const std::int64_t from = (c % bins) - half + bins;  // ≥ 0
        window[static_cast<std::size_t>(c)] =
            prefix[static_cast<std::size_t>(from + 2 * half)] - prefix[static_cast<std::size_t>(from)];
    }
    // The edges and the middles after them, in bins from the phase.
    const auto edges = static_cast<std::int32_t>(std::floor(frameBits));
    std::vector<std::int64_t> on(static_cast<std::size_t>(edges)), off(static_cast<std::size_t>(edges));
    for (std::int32_t k = 0; k < edges; ++k) {
        on[static_cast<std::size_t>(k)] = std::lround(k * bit) % bins;
        off[static_cast<std::size_t>(k)] = std::lround((k + 0.5) * bit) % bins;
    }
    double best = 0.0;
    for (std::int64_t phase = 0; phase < bins; ++phase) {
        double score = 0.0;
        for (std::int32_t k = 0; k < edges; ++k)
            score += window[static_cast<std::size_t>(phase + on[static_cast<std::size_t>(k)])] -
                     window[static_cast<std::size_t>(phase + off[static_cast<std::size_t>(k)])];
        if (score > best) best = score;
    }
    return best;
}

}  // namespace morvane
