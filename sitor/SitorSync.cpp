#include "sitor/SitorSync.h"

#include <algorithm>

#include "sitor/Ccir476.h"
#include "sitor/ModeB.h"

namespace morvane::sitor {

namespace {
// The hard word of the 7 bits from `at` (bit 1 least significant).
int HardWord(const std::vector<float>& bits, std::int64_t at, bool inverted) {
    int word = 0;
    for (int i = 0; i < kWordBits; ++i)
        if ((bits[static_cast<std::size_t>(at + i)] > 0.0f) != inverted) word |= 1 << i;
    return word;
}
}  // namespace

SyncGuess FindSync(const std::vector<float>& bits, std::int64_t from, std::int64_t to) {
    from = std::max<std::int64_t>(from, 0);
    to = std::min<std::int64_t>(to, static_cast<std::int64_t>(bits.size()));
    SyncGuess best;
    int bestValid = -1;
    for (int phase = 0; phase < kWordBits; ++phase)
        for (bool inverted : {false, true}) {
            int valid = 0, words = 0;
            for (std::int64_t at = from + ((phase - from) % kWordBits + kWordBits) % kWordBits; at + kWordBits <= to; at += kWordBits) {
                ++words;
                valid += IsConstantRatio(static_cast<unsigned>(HardWord(bits, at, inverted)));
            }
            if (valid > bestValid) {
                bestValid = valid;
                best.phase = phase;
                best.inverted = inverted;
                best.words = words;
            }
        }
    if (best.words == 0) return best;
    best.valid = static_cast<double>(bestValid) / best.words;
    // DX positions: the parity whose words come again five words later, or
    // stand in phasing pairs.
    int bestScore = -1;
    for (int parity = 0; parity < 2; ++parity) {
        int repeated = 0, phasing = 0, dx = 0;
        const std::int64_t first = from + ((best.phase - from) % kWordBits + kWordBits) % kWordBits;
        for (std::int64_t at = first; at + kWordBits <= to; at += kWordBits) {
            const std::int64_t slot = (at - best.phase) / kWordBits;
            if (((slot % 2) + 2) % 2 != parity) continue;
            ++dx;
            const int word = HardWord(bits, at, best.inverted);
            const std::int64_t rx = at + kRepeatSlots * kWordBits, next = at + kWordBits;
            if (rx + kWordBits <= static_cast<std::int64_t>(bits.size()) && IsConstantRatio(static_cast<unsigned>(word)) &&
                HardWord(bits, rx, best.inverted) == word)
                ++repeated;
            if (word == kWordRepeat && next + kWordBits <= static_cast<std::int64_t>(bits.size()) &&
                HardWord(bits, next, best.inverted) == kWordAlpha)
                ++phasing;
        }
        if (dx > 0 && repeated + phasing > bestScore) {
            bestScore = repeated + phasing;
            best.dxParity = parity;
            best.repeat = static_cast<double>(repeated) / dx;
            best.phasing = static_cast<double>(phasing) / dx;
        }
    }
    best.locked = best.valid >= kLockValid && best.repeat + best.phasing >= kLockRepeat;
    return best;
}

}  // namespace morvane::sitor
