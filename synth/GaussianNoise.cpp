#include "synth/GaussianNoise.h"

#include <cmath>

namespace morvane {

GaussianNoise::GaussianNoise(std::uint64_t seed) : m_engine(seed) {}

double GaussianNoise::Next() {
    if (m_haveSpare) {
        m_haveSpare = false;
        return m_spare;
    }
    constexpr double kTwoPi = 6.283185307179586;
    constexpr double kUnit = 1.0 / 9007199254740992.0;  // 2^-53
    // u1 in (0, 1] keeps the logarithm finite; u2 in [0, 1).
    const double u1 = static_cast<double>((m_engine() >> 11) + 1) * kUnit;
    const double u2 = static_cast<double>(m_engine() >> 11) * kUnit;
    const double radius = std::sqrt(-2.0 * std::log(u1));
    m_spare = radius * std::sin(kTwoPi * u2);
    m_haveSpare = true;
    return radius * std::cos(kTwoPi * u2);
}

}  // namespace morvane
