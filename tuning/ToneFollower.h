#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace morvane {

/// AFC's tone search, cheap enough for every block: the keyed tone pair
/// of the last few blocks, found in the transforms the waterfall strip
/// already makes of them (no transform of its own). The strongest peak of
/// their mean power between 100 and 4000 Hz and the strongest 85 … 1000 Hz
/// away from it, each refined between bins; both must stand
/// kOverFloorDb over the band's median, and the share of the pair's power
/// in one tone must swing from block to block (a keyed signal's does, a
/// pair of steady carriers' does not).
class ToneFollower {
public:
    static constexpr std::size_t kBlocks = 6;     // transforms looked back over (4 s of capture)
    static constexpr double kOverFloorDb = 10.0;  // each tone's mean power over the band's median
    static constexpr double kLeastSwing = 0.15;   // of one tone's share of the pair, largest less smallest

    struct Pair {
        double lowHz = 0.0, highHz = 0.0;
    };

    /// Adds a transform: `bins` complex bins (re, im interleaved), bin k at
    /// k × 48 000 / bins Hz; bins a power of two ≥ 2 (else
    /// std::invalid_argument); null adds nothing. A transform of another
    /// length drops those held.
    void Add(const float* spectrum, std::int32_t bins);
    /// The pair in the transforms held, or none (fewer than kBlocks held, no
    /// pair over the floor, or one that does not swing). Work: a few
    /// thousand operations.
    std::optional<Pair> Find() const;
    /// Drops the transforms held.
    void Clear();

private:
    std::array<std::vector<float>, kBlocks> m_power;  // power per bin up to the band's top, a ring
    std::size_t m_next = 0, m_held = 0;
    double m_binHz = 0.0;
};

}  // namespace morvane
