#include "tuning/InputLevel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>

namespace morvane {

std::int32_t InputPeak(std::span<const std::int16_t> normalised) {
    constexpr std::int32_t kTargetPeak = 25000;
    std::int32_t peak = 0, divisor = 0;
    for (const std::int16_t s : normalised) {
        const std::int32_t a = std::abs(static_cast<std::int32_t>(s));
        peak = std::max(peak, a);
        if (divisor != 1 && (divisor == 0 || a % divisor != 0)) divisor = std::gcd(divisor, a);
    }
    if (peak == 0 || peak > kTargetPeak) return peak;
    // The gain divides every sample; the samples may share more factors.
    for (std::int32_t gain = divisor; gain > 1; --gain)
        if (divisor % gain == 0 && peak % gain == 0 && kTargetPeak / (peak / gain) == gain) return peak / gain;
    return peak;
}

double PeakDbfs(std::int32_t peak) {
    return peak > 0 ? std::max(-120.0, 20.0 * std::log10(static_cast<double>(peak) / 32768.0)) : -120.0;
}

}  // namespace morvane
