#include "receiver/MixKernel.h"

namespace morvane {

namespace {
constexpr std::size_t kWays = 4;  // partial sums over k mod 4, added at the end
}

MixSums MixBlockPlain(const float* x, const float* table, std::size_t n) {
    float part[kWays][4] = {};
    for (std::size_t k = 0; k < n; ++k)
        for (std::size_t j = 0; j < 4; ++j) part[k % kWays][j] += x[k] * table[4 * k + j];
    MixSums s{};
    for (std::size_t j = 0; j < 4; ++j) s[j] = (part[0][j] + part[1][j]) + (part[2][j] + part[3][j]);
    return s;
}

MixSums MixBlock(const float* x, const float* table, std::size_t n) {
    using Four = float __attribute__((vector_size(16)));
    Four part[kWays] = {};
    std::size_t k = 0;
    for (; k + kWays <= n; k += kWays) {
        for (std::size_t w = 0; w < kWays; ++w) {
            Four t;
            __builtin_memcpy(&t, table + 4 * (k + w), sizeof t);
            part[w] += x[k + w] * t;
        }
    }
    for (; k < n; ++k) {
        Four t;
        __builtin_memcpy(&t, table + 4 * k, sizeof t);
        part[k % kWays] += x[k] * t;
    }
    const Four s = (part[0] + part[1]) + (part[2] + part[3]);
    return {s[0], s[1], s[2], s[3]};
}

}  // namespace morvane
