// The demodulator written plainly, with two sines and two cosines per
// sample: the arithmetic every fast kernel must reproduce bit for bit.
#include <cmath>
#include <cstdlib>

#include "dsp/DemodCall.h"
#include "dsp/FskDemodulator.h"

namespace morvane {

namespace {

std::int32_t PlainPeak(const std::int16_t* x, std::int32_t n) {
    std::int32_t peak = 0;
    for (std::int32_t j = 0; j < n; ++j) peak = std::max(peak, std::abs(static_cast<std::int32_t>(x[j])));
    return peak;
}

}  // namespace

std::int32_t DemodulateReference(const DemodSettings& settings, const CaptureFormat& format,
                                 const std::int16_t* samples, std::int32_t byteCount,
                                 std::vector<std::int32_t>& levels, std::vector<SoftWindow>* soft) {
    using namespace demod;
    const CallGeometry g = Measure(settings, format, samples, byteCount);
    if (g.windowCount <= 0) return 2 * g.start;

    const double p1 = g.period1;
    const double p2 = g.period2;
    Windows w(g.windowCount);
    for (std::int32_t k = 0; k < g.windowCount; ++k) {
        const std::int16_t* x = samples + g.start + static_cast<std::int64_t>(k) * g.window;
        double c1 = 0.0, s1 = 0.0, c2 = 0.0, s2 = 0.0;
        for (std::int32_t j = 0; j < g.window; ++j) {
            const double v = x[j] * kSampleScale;
            const double phi1 = j * kTwoPi / p1;
            const double phi2 = j * kTwoPi / p2;
            c1 += v * std::cos(phi1);
            s1 += v * std::sin(phi1);
            c2 += v * std::cos(phi2);
            s2 += v * std::sin(phi2);
        }
        Record(k, PlainPeak(x, g.window), c1, s1, c2, s2, w);
    }
    AppendLevels(w, g, levels, soft);
    return 2 * (g.start + g.windowCount * g.window);
}

}  // namespace morvane
