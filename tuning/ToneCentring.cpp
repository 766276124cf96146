#include "tuning/ToneCentring.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
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

namespace morvane {

std::optional<TonePair> FollowTones(double foundLowHz, double foundHighHz, TonePair inUse, bool reverse,
                                    std::int32_t toleranceHz) {
    const auto inRange = [](double hz) { return std::isfinite(hz) && hz >= 1.0 && hz <= 9999.0; };
    if (!inRange(foundLowHz) || !inRange(foundHighHz)) return std::nullopt;
    TonePair found{static_cast<std::int32_t>(std::lround(std::min(foundLowHz, foundHighHz))),
                   static_cast<std::int32_t>(std::lround(std::max(foundLowHz, foundHighHz)))};
    if (reverse) std::swap(found.lowHz, found.highHz);
    const auto near = [toleranceHz](std::int32_t a, std::int32_t b) {
        return std::llabs(static_cast<long long>(a) - b) <= toleranceHz;
    };
    if (near(found.lowHz, inUse.lowHz) && near(found.highHz, inUse.highHz)) return std::nullopt;
    return found;
}

}  // namespace morvane
