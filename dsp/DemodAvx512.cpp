// The demodulator kernel for AVX-512 (the foundation instructions): eight
// windows a vector, sixteen a group.
#include "dsp/DemodKernels.h"

namespace morvane::demod {

__attribute__((target("avx512f"))) void MeasureAvx512(const CallGeometry& g, const std::int16_t* samples,
                                                     const References& r, Windows& w) {
    MeasureInGroups<8, 2>(g, samples, r, w);
}

}  // namespace morvane::demod
