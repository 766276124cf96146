// Soft windows to and from 32-bit floats, four per window (re1, im1, re2,
// im2). Both ways round to nearest-even, with F16C instructions where the
// processor has them and in software otherwise: the same results either way
// (a test holds the two to that).
#include "dsp/FskDemodulator.h"
#include "dsp/ProcessorFeatures.h"
#include "dsp/SoftPackingF16c.h"

namespace morvane {

void PackSoftWindows(const float* in, SoftWindow* out, std::size_t count, bool hardware) {
    const std::size_t done = hardware && demod::HasF16c() ? demod::PackPairsF16c(in, out, count) : 0;
    for (std::size_t k = done; k < count; ++k)
        out[k] = {Half(in[4 * k]), Half(in[4 * k + 1]), Half(in[4 * k + 2]), Half(in[4 * k + 3])};
}

void UnpackSoftWindows(const SoftWindow* in, float* out, std::size_t count, bool hardware) {
    const std::size_t done = hardware && demod::HasF16c() ? demod::UnpackPairsF16c(in, out, count) : 0;
    for (std::size_t k = done; k < count; ++k) {
        out[4 * k] = static_cast<float>(in[k].re1);
        out[4 * k + 1] = static_cast<float>(in[k].im1);
        out[4 * k + 2] = static_cast<float>(in[k].re2);
        out[4 * k + 3] = static_cast<float>(in[k].im2);
    }
}

}  // namespace morvane
