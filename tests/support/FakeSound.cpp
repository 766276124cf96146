#include "support/FakeSound.h"

#include <cmath>
#include <numbers>

namespace morvane::test {

std::vector<std::int16_t> Tone(std::size_t count, double hz, double peak, std::size_t phaseStart) {
    std::vector<std::int16_t> out(count);
    for (std::size_t i = 0; i < count; ++i)
        out[i] = static_cast<std::int16_t>(
            std::lround(peak * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(i + phaseStart) / 48000.0)));
    return out;
}

}  // namespace morvane::test
