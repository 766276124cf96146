#pragma once
#include <cstdint>
#include <vector>

namespace morvane {

/// Mean of values[begin … end) folded over `period` grid steps into `bins`
/// equal bins (bin 0 starts at `begin`); a bin without values takes the
/// mean of the bin before it (all 0 when there are no values at all).
/// The value at index i counts at position i + 0.5, the middle of its window.
std::vector<double> FoldProfile(const std::vector<double>& values, std::int64_t begin, std::int64_t end,
                                double period, std::int32_t bins);

/// Where a folded frame starts: the bin whose start-bit stretch (one bit,
/// below zero) and the stop stretch before it (stopBits bits, above zero)
/// fit best.
struct FramePhase {
    std::int32_t bin = 0;   // first bin of the start bit
    double plateau = 0.0;   // mean of −profile over the start bit and +profile over the stop element
    double gain = 0.0;      // Σ (2 t m − amplitude) over both stretches, t = −1 / +1, in bins
};

/// The best frame phase of `profile` for a frame of leadBits + stopBits bits
/// (leadBits: start, data and parity bits; 6 for a 5-bit code); amplitude is
/// the level the stretches are measured against for `gain`.
FramePhase BestFramePhase(const std::vector<double>& profile, double stopBits, double amplitude, int leadBits = 6);

}  // namespace morvane
