#include "scanner/FirKernel.h"

namespace morvane {

namespace {
constexpr std::size_t kWays = 4;  // partial sums over k mod 4, added at the end
}

float FirDotPlain(const float* taps, const float* samples, std::size_t n) {
    float part[kWays] = {};
    for (std::size_t k = 0; k < n; ++k) part[k % kWays] += taps[k] * samples[k];
    return (part[0] + part[1]) + (part[2] + part[3]);
}

float FirDot(const float* taps, const float* samples, std::size_t n) {
    using Four = float __attribute__((vector_size(16)));
    Four part = {};
    std::size_t k = 0;
    for (; k + kWays <= n; k += kWays) {
        Four t, x;
        __builtin_memcpy(&t, taps + k, sizeof t);
        __builtin_memcpy(&x, samples + k, sizeof x);
        part += t * x;
    }
    for (; k < n; ++k) part[k % kWays] += taps[k] * samples[k];
    return (part[0] + part[1]) + (part[2] + part[3]);
}

}  // namespace morvane
