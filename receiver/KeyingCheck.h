#pragma once
#include <complex>
#include <cstddef>
#include <vector>

namespace morvane {

/// How far the two tones' contrast (p1 - p2) / (p1 + p2), each tone summed
/// over `length` sub-blocks before its power is taken, swings about its
/// mean: near 1 for a keyed pair, near 0 for a steady tone or carrier
/// wherever it lies between the tones. 0 for a stretch shorter than two
/// lengths.
double KeyingSpread(const std::vector<std::complex<double>>& tone1, const std::vector<std::complex<double>>& tone2,
                    std::size_t length);

/// How much of the sound the two tones' bit filters (bitLength sub-blocks,
/// ≥ 1) hold, against what they would hold of white noise of the same power:
/// about 1 for noise alone, more for a signal keyed on the tones, far less
/// when the sound lies beside them (a steady tone between the tones, its
/// harmonics, a station elsewhere). 0 for an empty or silent stretch.
double HeldAtTones(const std::vector<std::complex<double>>& tone1, const std::vector<std::complex<double>>& tone2,
                   double bitLength);

}  // namespace morvane
