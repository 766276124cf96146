// The demodulator kernel for AVX2: four windows a vector, eight a group.
#include "dsp/DemodKernels.h"

namespace morvane::demod {

__attribute__((target("avx2"))) void MeasureAvx2(const CallGeometry& g, const std::int16_t* samples,
                                                 const References& r, Windows& w) {
    MeasureInGroups<4, 2>(g, samples, r, w);
}

}  // namespace morvane::demod
