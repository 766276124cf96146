#pragma once
#include <cstdint>
#include <random>

namespace morvane {

/// Standard normal numbers (mean 0, variance 1) from a seeded 64-bit Mersenne
/// twister by the Box-Muller transform: the same sequence on every standard
/// library, unlike std::normal_distribution.
class GaussianNoise {
public:
    explicit GaussianNoise(std::uint64_t seed);
    double Next();

private:
    std::mt19937_64 m_engine;
    bool m_haveSpare = false;
    double m_spare = 0.0;
};

}  // namespace morvane
