#pragma once
#include <array>
#include <cstddef>

namespace morvane {

/// The four sums of one sub-block of the two tone mixers: for every sample
/// x[k], k = 0 … n - 1, x[k] times the k-th entry of each table (four floats
/// a sample: tone 1 real and imaginary, tone 2 real and imaginary), each sum
/// taken in the order of k, in single precision.
using MixSums = std::array<float, 4>;

/// The plain loop, one sum after the other.
MixSums MixBlockPlain(const float* x, const float* table, std::size_t n);

/// The same sums, the four taken side by side in one vector register: the
/// same operations in the same order on every sum, so the result is the
/// plain loop's bit for bit.
MixSums MixBlock(const float* x, const float* table, std::size_t n);

}  // namespace morvane
