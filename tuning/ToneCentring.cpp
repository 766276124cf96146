#include "tuning/ToneCentring.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace morvane {

TonePair CentreTones(std::int32_t centreHz, std::int32_t shiftHz, bool reverse) {
    if (shiftHz < 1) throw std::invalid_argument("shift must be at least 1 Hz, not " + std::to_string(shiftHz));
    constexpr std::int64_t kLowest = 1, kHighest = 9999;
    const std::int64_t shift = std::min<std::int64_t>(shiftHz, kHighest - kLowest);
    const std::int64_t low =
        std::clamp<std::int64_t>(std::int64_t{centreHz} - shift / 2, kLowest, kHighest - shift);
    TonePair pair{static_cast<std::int32_t>(low), static_cast<std::int32_t>(low + shift)};
    if (reverse) std::swap(pair.lowHz, pair.highHz);
    return pair;
}

}  // namespace morvane
