// The demodulator kernel for SSE2, which every x86-64 processor has: two
// windows a vector, eight windows a group.
#include "dsp/DemodKernels.h"

namespace morvane::demod {

void MeasureSse2(const CallGeometry& g, const std::int16_t* samples, const References& r, Windows& w) {
    MeasureInGroups<2, 4>(g, samples, r, w);
}

}  // namespace morvane::demod
