#include "receiver/MixKernel.h"

namespace morvane {

MixSums MixBlockPlain(const float* x, const float* table, std::size_t n) {
    MixSums s{0.0F, 0.0F, 0.0F, 0.0F};
    for (std::size_t k = 0; k < n; ++k)
        for (std::size_t j = 0; j < 4; ++j) s[j] += x[k] * table[4 * k + j];
    return s;
}

MixSums MixBlock(const float* x, const float* table, std::size_t n) {
    using Four = float __attribute__((vector_size(16)));
    Four s{0.0F, 0.0F, 0.0F, 0.0F};
    for (std::size_t k = 0; k < n; ++k) {
        Four t;
        __builtin_memcpy(&t, table + 4 * k, sizeof t);
        s += x[k] * t;
    }
    return {s[0], s[1], s[2], s[3]};
}

}  // namespace morvane
