#include "dsp/SoftPackingF16c.h"

#include <immintrin.h>

#include <cstring>

namespace morvane::demod {

// A window is four 16-bit floats in the order of its values.
__attribute__((target("avx,f16c"))) std::size_t PackPairsF16c(const float* in, SoftWindow* out, std::size_t count) {
    auto* bytes = reinterpret_cast<unsigned char*>(out);
    std::size_t k = 0;
    for (; k + 2 <= count; k += 2) {
        const __m128i halves = _mm256_cvtps_ph(_mm256_loadu_ps(in + 4 * k), _MM_FROUND_TO_NEAREST_INT);
        std::memcpy(bytes + k * sizeof(SoftWindow), &halves, sizeof halves);
    }
    return k;
}

__attribute__((target("avx,f16c"))) std::size_t UnpackPairsF16c(const SoftWindow* in, float* out, std::size_t count) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(in);
    std::size_t k = 0;
    for (; k + 2 <= count; k += 2) {
        __m128i halves;
        std::memcpy(&halves, bytes + k * sizeof(SoftWindow), sizeof halves);
        _mm256_storeu_ps(out + 4 * k, _mm256_cvtph_ps(halves));
    }
    return k;
}

}  // namespace morvane::demod
