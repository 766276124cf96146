#pragma once
#include <complex>
#include <vector>

namespace morvane {

/// An in-place radix-2 transform of a power-of-two length (2 … 2^24),
/// forward (e^{-j…}). Throws std::invalid_argument for other lengths.
void TransformInPlace(std::vector<std::complex<double>>& data);

/// The transform of real samples (a power-of-two length, 4 … 2^24), bins 0 …
/// n/2, taken as a transform of half the length. Throws std::invalid_argument
/// for other lengths.
std::vector<std::complex<double>> TransformReal(const std::vector<double>& x);

}  // namespace morvane
