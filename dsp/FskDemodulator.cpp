#include "dsp/FskDemodulator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace morvane {
namespace {

constexpr float kPeriodBase = static_cast<float>(kSampleRate);      // tone periods use this, not the format's rate
constexpr float kSearchPeriods = 4.0f;        // zero-crossing search span, in tone-1 periods
constexpr double kTwoPi = 6.283185307179586;
constexpr double kSampleScale = static_cast<double>(0.001f);
constexpr std::int32_t kSilencePeak = 255;    // a window this quiet or quieter is silent

// Two doubles side by side (one SSE2 register); lanes never mix.
using Double2 = double __attribute__((vector_size(16)));

// Where one call starts and how its windows lie.
struct CallGeometry {
    float period1 = 0.0f;
    float period2 = 0.0f;
    std::int32_t start = 0;         // index of the last negative sample before the first rising crossing
    std::int32_t window = 0;        // samples per window
    std::int32_t windowCount = 0;   // 0 when nothing fits
};

CallGeometry Measure(const DemodSettings& settings, const CaptureFormat& format,
                     const std::int16_t* samples, std::int32_t byteCount) {
    if (!std::isfinite(settings.tone1Hz) || !std::isfinite(settings.tone2Hz))
        throw std::invalid_argument("demodulator tone frequencies must be finite numbers");
    if (samples == nullptr && byteCount > 1) throw std::invalid_argument("demodulator samples must not be null");
    CallGeometry g;
    const std::int32_t sampleCount = byteCount > 0 ? byteCount / 2 : 0;
    g.period1 = kPeriodBase / settings.tone1Hz;
    g.period2 = kPeriodBase / settings.tone2Hz;

    const float span = kSearchPeriods * g.period1;
    for (std::int32_t i = 0; static_cast<float>(i) < span && i + 1 < sampleCount; ++i) {
        if (samples[i] < 0 && samples[i + 1] >= 0) {
            g.start = i;
            break;
        }
    }

    const float windowF = static_cast<float>(format.samplesPerSec) / (settings.referenceBaud * kWindowsPerSymbol);
    if (!(windowF >= 1.0f) || !(windowF < 2147483648.0f)) return g;
    g.window = static_cast<std::int32_t>(windowF);

    std::int32_t count = sampleCount / g.window - 2;
    count = std::min(count, (sampleCount - g.start) / g.window);
    g.windowCount = std::max(count, 0);
    return g;
}

// Largest |sample| of a window as a 32-bit integer (|−32768| = 32768), from
// the window's largest and smallest sample, eight samples at a time.
std::int32_t WindowPeak(const std::int16_t* x, std::int32_t n) {
    using Short8 = std::int16_t __attribute__((vector_size(16)));
    if (n <= 0) return 0;
    std::int16_t hi = x[0];
    std::int16_t lo = x[0];
    std::int32_t j = 0;
    if (n >= 8) {
        Short8 vhi;
        std::memcpy(&vhi, x, sizeof vhi);
        Short8 vlo = vhi;
        for (j = 8; j + 8 <= n; j += 8) {
            Short8 v;
            std::memcpy(&v, x + j, sizeof v);
            vhi = vhi > v ? vhi : v;
            vlo = vlo < v ? vlo : v;
        }
        for (int lane = 0; lane < 8; ++lane) {
            hi = std::max(hi, static_cast<std::int16_t>(vhi[lane]));
            lo = std::min(lo, static_cast<std::int16_t>(vlo[lane]));
        }
    }
    for (; j < n; ++j) {
        hi = std::max(hi, x[j]);
        lo = std::min(lo, x[j]);
    }
    return std::max(static_cast<std::int32_t>(hi), -static_cast<std::int32_t>(lo));
}

// The plain peak, for the reference path.
std::int32_t PlainPeak(const std::int16_t* x, std::int32_t n) {
    std::int32_t peak = 0;
    for (std::int32_t j = 0; j < n; ++j) peak = std::max(peak, std::abs(static_cast<std::int32_t>(x[j])));
    return peak;
}

// Appends one level per window once every window of the call is measured:
// the scale is the call's strongest single-tone energy.
void AppendLevels(const std::vector<double>& e1, const std::vector<double>& e2, double scale,
                  std::vector<std::int32_t>& levels) {
    // No exact reserve here: the stream grows by a few hundred levels a call
    // for hours, and an exact reserve would copy all of it on every call.
    for (std::size_t k = 0; k < e1.size(); ++k)
        levels.push_back(128 + static_cast<std::int32_t>(std::trunc((e1[k] - e2[k]) * 125.0 / scale)));
}

// Records one window's energies, silent windows as zero, and widens the scale.
void Record(std::size_t k, std::int32_t peak, double c1, double s1, double c2, double s2,
            std::vector<double>& e1, std::vector<double>& e2, double& scale) {
    if (peak <= kSilencePeak) {
        e1[k] = 0.0;
        e2[k] = 0.0;
        return;
    }
    e1[k] = s1 * s1 + c1 * c1;
    e2[k] = s2 * s2 + c2 * c2;
    scale = std::max(scale, std::max(e1[k], e2[k]));
}

}  // namespace

std::int32_t DemodWindow(const DemodSettings& settings, const CaptureFormat& format) {
    const float windowF = static_cast<float>(format.samplesPerSec) / (settings.referenceBaud * kWindowsPerSymbol);
    if (!(windowF >= 1.0f) || !(windowF < 2147483648.0f)) return 0;
    return static_cast<std::int32_t>(windowF);
}

std::int32_t DemodulateReference(const DemodSettings& settings, const CaptureFormat& format,
                                 const std::int16_t* samples, std::int32_t byteCount,
                                 std::vector<std::int32_t>& levels) {
    const CallGeometry g = Measure(settings, format, samples, byteCount);
    if (g.windowCount <= 0) return 2 * g.start;

    const double p1 = g.period1;
    const double p2 = g.period2;
    std::vector<double> e1(g.windowCount), e2(g.windowCount);
    double scale = 1.0;
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
        Record(k, PlainPeak(x, g.window), c1, s1, c2, s2, e1, e2, scale);
    }
    AppendLevels(e1, e2, scale, levels);
    return 2 * (g.start + g.windowCount * g.window);
}

std::int32_t Demodulate(const DemodSettings& settings, const CaptureFormat& format,
                        const std::int16_t* samples, std::int32_t byteCount,
                        std::vector<std::int32_t>& levels) {
    const CallGeometry g = Measure(settings, format, samples, byteCount);
    if (g.windowCount <= 0) return 2 * g.start;

    // The reference phase restarts at every window, so the call's tone
    // references are the same for every window: compute them once.
    const double p1 = g.period1;
    const double p2 = g.period2;
    const std::int32_t n = g.window;
    std::vector<double> cos1(n), sin1(n), cos2(n), sin2(n);
    for (std::int32_t j = 0; j < n; ++j) {
        const double phi1 = j * kTwoPi / p1;
        const double phi2 = j * kTwoPi / p2;
        cos1[j] = std::cos(phi1);
        sin1[j] = std::sin(phi1);
        cos2[j] = std::cos(phi2);
        sin2[j] = std::sin(phi2);
    }

    std::vector<double> e1(g.windowCount), e2(g.windowCount);
    double scale = 1.0;
    std::int32_t k = 0;
    // Four windows at a time, two per vector: sixteen independent sums keep the
    // adder busy. Each lane does exactly the plain arithmetic of its window in
    // the same order, so the result is bit-identical.
    for (; k + 4 <= g.windowCount; k += 4) {
        const std::int16_t* x = samples + g.start + static_cast<std::int64_t>(k) * n;
        const Double2 sampleScale = {kSampleScale, kSampleScale};
        Double2 c1a{}, c1b{}, s1a{}, s1b{}, c2a{}, c2b{}, s2a{}, s2b{};
        for (std::int32_t j = 0; j < n; ++j) {
            const Double2 va = Double2{static_cast<double>(x[j]), static_cast<double>(x[j + n])} * sampleScale;
            const Double2 vb =
                Double2{static_cast<double>(x[j + 2 * n]), static_cast<double>(x[j + 3 * n])} * sampleScale;
            const Double2 rc1 = {cos1[j], cos1[j]};
            const Double2 rs1 = {sin1[j], sin1[j]};
            const Double2 rc2 = {cos2[j], cos2[j]};
            const Double2 rs2 = {sin2[j], sin2[j]};
            c1a += va * rc1;
            c1b += vb * rc1;
            s1a += va * rs1;
            s1b += vb * rs1;
            c2a += va * rc2;
            c2b += vb * rc2;
            s2a += va * rs2;
            s2b += vb * rs2;
        }
        Record(k, WindowPeak(x, n), c1a[0], s1a[0], c2a[0], s2a[0], e1, e2, scale);
        Record(k + 1, WindowPeak(x + n, n), c1a[1], s1a[1], c2a[1], s2a[1], e1, e2, scale);
        Record(k + 2, WindowPeak(x + 2 * n, n), c1b[0], s1b[0], c2b[0], s2b[0], e1, e2, scale);
        Record(k + 3, WindowPeak(x + 3 * n, n), c1b[1], s1b[1], c2b[1], s2b[1], e1, e2, scale);
    }
    for (; k < g.windowCount; ++k) {
        const std::int16_t* x = samples + g.start + static_cast<std::int64_t>(k) * n;
        double c1 = 0.0, s1 = 0.0, c2 = 0.0, s2 = 0.0;
        for (std::int32_t j = 0; j < n; ++j) {
            const double v = x[j] * kSampleScale;
            c1 += v * cos1[j];
            s1 += v * sin1[j];
            c2 += v * cos2[j];
            s2 += v * sin2[j];
        }
        Record(k, WindowPeak(x, n), c1, s1, c2, s2, e1, e2, scale);
    }
    AppendLevels(e1, e2, scale, levels);
    return 2 * (g.start + g.windowCount * n);
}

}  // namespace morvane
