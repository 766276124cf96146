#pragma once
#include <complex>
#include <vector>

namespace morvane {

/// An in-place radix-2 transform of a power-of-two length (2 … 2^24),
/// forward (e^{-j…}). Throws std::invalid_argument for other lengths.
void TransformInPlace(std::vector<std::complex<double>>& data);

}  // namespace morvane
