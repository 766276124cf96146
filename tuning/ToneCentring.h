#pragma once
#include <cstdint>
#include <optional>

namespace morvane {

/// The usual shifts of two-tone teleprinter signals (Hz) a click centres on.
inline constexpr std::int32_t kStandardShifts[] = {170, 200, 425, 450, 850};

/// The tones (Hz) for Low and High.
struct TonePair {
    std::int32_t lowHz = 0, highHz = 0;
    bool operator==(const TonePair&) const = default;
};

/// Both tones centred on `centreHz` (the click's frequency), `shiftHz`
/// apart (≥ 1): Low the lower, High the higher, swapped when `reverse`
/// (tone 1, the one the levels rise for, is then the higher). Kept inside
/// 1 … 9999 Hz, the fields' range, by moving the pair whole; a shift wider
/// than that range is narrowed to it. Throws std::invalid_argument for a
/// shift below 1.
TonePair CentreTones(std::int32_t centreHz, std::int32_t shiftHz, bool reverse);

}  // namespace morvane

namespace morvane {

/// AFC: the tones to follow a signal found at `foundLowHz` / `foundHighHz`
/// (the lower and the higher, rounded to whole Hz), in the order Low, High
/// the fields use (`reverse`: Low the higher). None when both tones in use
/// lie within `toleranceHz` of them already, or when the found ones are not
/// finite numbers inside 1 … 9999 Hz.
std::optional<TonePair> FollowTones(double foundLowHz, double foundHighHz, TonePair inUse, bool reverse,
                                    std::int32_t toleranceHz);

}  // namespace morvane
