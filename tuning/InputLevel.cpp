#include "tuning/InputLevel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace morvane {

std::int32_t InputPeak(std::span<const std::int16_t> normalised) {
    constexpr std::int32_t kTargetPeak = 25000;
    constexpr std::size_t kChecked = 2048;  // samples a gain must divide: past that a chance factor is beyond belief
    std::int32_t peak = 0;
    for (const std::int16_t s : normalised) peak = std::max(peak, std::abs(static_cast<std::int32_t>(s)));
    if (peak == 0 || peak > kTargetPeak) return peak;
    const std::span<const std::int16_t> checked = normalised.first(std::min(normalised.size(), kChecked));
    const auto divides = [checked](std::int32_t gain) {
        return std::all_of(checked.begin(), checked.end(), [gain](std::int16_t s) { return s % gain == 0; });
    };
    // The gain of a card peak P is 25 000 div P: from the largest gain down,
    // the first whose P gives this peak and that divides the samples. Small
    // peaks are tried one by one, small gains one by one (158² > 25 000).
    constexpr std::int32_t kSplit = 158;
    for (std::int32_t card = 1; card <= kSplit; ++card) {
        const std::int32_t gain = kTargetPeak / card;
        if (gain > 1 && card * gain == peak && divides(gain)) return card;
    }
    for (std::int32_t gain = std::min(kSplit, peak); gain > 1; --gain)
        if (peak % gain == 0 && peak / gain > kSplit && kTargetPeak / (peak / gain) == gain && divides(gain))
            return peak / gain;
    return peak;
}

double PeakDbfs(std::int32_t peak) {
    return peak > 0 ? std::max(-120.0, 20.0 * std::log10(static_cast<double>(peak) / 32768.0)) : -120.0;
}

}  // namespace morvane
