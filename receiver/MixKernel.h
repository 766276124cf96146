#pragma once
#include <array>
#include <cstddef>

namespace morvane {

/// The four sums of one sub-block of the two tone mixers: for every sample
/// x[k], k = 0 … n - 1, x[k] times the k-th entry of each table (four floats
/// a sample: tone 1 real and imaginary, tone 2 real and imaginary), in single
/// precision. Each sum is taken as four partial sums, over k = 0, 4, 8 …,
/// over k = 1, 5, 9 …, over k = 2, 6, … and over k = 3, 7, …, each in the
/// order of k, then added as (s0 + s1) + (s2 + s3): the partial sums do not
/// wait on each other.
using MixSums = std::array<float, 4>;

/// The plain loop, one product after the other.
MixSums MixBlockPlain(const float* x, const float* table, std::size_t n);

/// The same sums, the four of a sample side by side in one vector register:
/// the same operations in the same order on every sum, so the result is the
/// plain loop's bit for bit.
MixSums MixBlock(const float* x, const float* table, std::size_t n);

}  // namespace morvane
