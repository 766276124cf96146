#pragma once
#include <cstdint>

namespace morvane {

/// Device buffer size for a byte rate: below 128 gives 64, 128 … 1 048 575
/// the largest power of two not above x, 1 048 576 and more x unchanged.
std::int32_t FloorPowerOfTwo(std::int32_t x);

/// Scales a block of signed 16-bit samples (byteCount bytes) in place by the
/// whole gain 25 000 div peak, unless its peak is 0 or above 25 000.
/// Returns the gain applied (1 when the block was left unchanged), so that
/// sample / gain gives the block as it came.
std::int32_t NormalizePeak(std::int16_t* samples, std::int32_t byteCount);

}  // namespace morvane
