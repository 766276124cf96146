#pragma once
#include <cstddef>

namespace morvane {

/// The dot product of `n` taps with `n` samples in single precision, taken
/// as four partial sums, over k = 0, 4, 8 …, over k = 1, 5, 9 …, over
/// k = 2, 6, … and over k = 3, 7, …, each in the order of k, then added as
/// (s0 + s1) + (s2 + s3): the partial sums do not wait on each other.
/// The plain loop, one product after the other.
float FirDotPlain(const float* taps, const float* samples, std::size_t n);

/// The same sum, four products side by side in one vector register: the same
/// operations in the same order, so the result is the plain loop's bit for bit.
float FirDot(const float* taps, const float* samples, std::size_t n);

}  // namespace morvane
