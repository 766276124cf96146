#include "capture/BlockHandling.h"

#include <algorithm>
#include <cstdlib>

namespace morvane {

std::int32_t FloorPowerOfTwo(std::int32_t x) {
    if (x < 128) return 64;
    if (x >= (1 << 20)) return x;
    std::int32_t p = 128;
    while (p * 2 <= x) p *= 2;
    return p;
}

std::int32_t NormalizePeak(std::int16_t* samples, std::int32_t byteCount) {
    constexpr std::int32_t kTargetPeak = 25000;
    if (samples == nullptr || byteCount <= 0) return 1;
    const std::int32_t count = byteCount / 2;
    std::int32_t peak = 0;
    for (std::int32_t i = 0; i < count; ++i) peak = std::max(peak, std::abs(static_cast<std::int32_t>(samples[i])));
    if (peak == 0 || peak > kTargetPeak) return 1;
    const std::int32_t gain = kTargetPeak / peak;
    for (std::int32_t i = 0; i < count; ++i) samples[i] = static_cast<std::int16_t>(samples[i] * gain);
    return gain;
}

}  // namespace morvane
