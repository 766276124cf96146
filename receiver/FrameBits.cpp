#include "receiver/FrameBits.h"

#include <algorithm>

namespace morvane {

unsigned BitsValue(const SyncedFrame& frame, int first, int count) {
    unsigned value = 0;
    for (int k = 0; k < count; ++k)
        value |= static_cast<unsigned>(frame.bits[static_cast<std::size_t>(first + k)] > 0.0) << k;
    return value;
}

std::size_t DifferentCharacters(const std::vector<SyncedFrame>& frames, int dataBits) {
    std::vector<unsigned> seen;
    for (const auto& f : frames) {
        if (!f.stopOk || f.bits.size() < static_cast<std::size_t>(dataBits + 1)) continue;
        const unsigned value = BitsValue(f, 1, dataBits);
        if (std::find(seen.begin(), seen.end(), value) == seen.end()) seen.push_back(value);
    }
    return seen.size();
}

}  // namespace morvane
