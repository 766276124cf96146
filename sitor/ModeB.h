#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "sitor/SoftWord.h"

namespace morvane::sitor {

/// Slots between a character's first (DX) copy and its repeat (RX): 5 words, 35 bits.
inline constexpr int kRepeatSlots = 5;

/// The words of a mode B emission, slot by slot: `phasingPairs` pairs of
/// phasing signals (RQ in the DX position, α in the RX position), then every
/// word of `words` in the DX positions and again five slots later in the RX
/// positions, then three α in the DX positions to end the emission; RX
/// positions before the first word hold α.
std::vector<std::uint8_t> InterleaveModeB(const std::vector<std::uint8_t>& words, int phasingPairs);

/// How one character is taken from its two copies.
enum class CopyChoice : std::uint8_t {
    DxOnly,    // the first copy alone (no time diversity)
    Valid,     // the copy that is a valid word; both valid and different, or neither: an error
    Margin,    // copies on one word take it; otherwise the word their soft bits summed fit best,
               // or the copy whose soft margin is larger; an error when nothing is decided
};

/// A received character: the word (-1 for an error) and the copy it came from.
struct ModeBCharacter {
    int word = -1;
    bool fromRx = false;
};

/// Smallest soft margin a copy needs to count as decided with CopyChoice::Margin.
inline constexpr float kDecidedMargin = 0.15f;

/// One character from its DX copy and, when received, its RX copy.
ModeBCharacter ChooseCopy(const SoftBits& dx, const std::optional<SoftBits>& rx, CopyChoice choice);

}  // namespace morvane::sitor
