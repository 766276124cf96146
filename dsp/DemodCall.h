#pragma once
// What every demodulator kernel shares about one call: where it starts and
// how its windows lie, what it measured window by window, and how the
// measurements become levels (and soft windows). Used inside dsp/ only.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "dsp/DemodSettings.h"
#include "dsp/SampleFormat.h"
#include "dsp/SoftWindow.h"

namespace morvane::demod {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kSampleScale = static_cast<double>(0.001f);
constexpr std::int32_t kSilencePeak = 255;  // a window this quiet or quieter is silent

// Where one call starts and how its windows lie.
struct CallGeometry {
    float period1 = 0.0f;
    float period2 = 0.0f;
    std::int32_t start = 0;         // index of the last negative sample before the first rising crossing
    std::int32_t window = 0;        // samples per window
    std::int32_t windowCount = 0;   // 0 when nothing fits
};

/// The geometry of a call over byteCount bytes of samples. Throws
/// std::invalid_argument for a tone that is not finite, or null samples
/// with a byteCount above 1.
CallGeometry Measure(const DemodSettings& settings, const CaptureFormat& format, const std::int16_t* samples,
                     std::int32_t byteCount);

// What one call measured, window by window: the energies (silent windows
// as zero), the four correlation sums, and the call's strongest energy.
struct Windows {
    explicit Windows(std::int32_t count) : e1(count), e2(count), c1(count), s1(count), c2(count), s2(count) {}
    std::vector<double> e1, e2, c1, s1, c2, s2;
    double scale = 1.0;
};

// Records one window's energies and sums, silent windows as zero, and widens the scale.
[[gnu::always_inline]] inline void Record(std::size_t k, std::int32_t peak, double c1, double s1, double c2, double s2,
                                          Windows& w) {
    if (peak <= kSilencePeak) {
        w.e1[k] = w.e2[k] = w.c1[k] = w.s1[k] = w.c2[k] = w.s2[k] = 0.0;
        return;
    }
    w.e1[k] = s1 * s1 + c1 * c1;
    w.e2[k] = s2 * s2 + c2 * c2;
    w.c1[k] = c1;
    w.s1[k] = s1;
    w.c2[k] = c2;
    w.s2[k] = s2;
    w.scale = std::max(w.scale, std::max(w.e1[k], w.e2[k]));
}

/// Appends one level per window once every window of the call is measured:
/// the scale is the call's strongest single-tone energy. With `soft`, each
/// window's correlations go there too, turned to the phase reference of the
/// sample `firstSample` samples before the call's first one.
void AppendLevels(const Windows& w, const CallGeometry& g, std::vector<std::int32_t>& levels,
                  std::vector<SoftWindow>* soft, std::int64_t firstSample = 0);

}  // namespace morvane::demod
