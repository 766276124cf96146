#include "dsp/FskDemodulator.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace morvane {
namespace {

constexpr float kPeriodBase = static_cast<float>(kSampleRate);      // tone periods use this, not the format's rate
constexpr float kSearchPeriods = 4.0f;        // zero-crossing search span, in tone-1 periods
constexpr double kTwoPi = 6.283185307179586;
constexpr double kSampleScale = static_cast<double>(0.001f);
constexpr std::int32_t kSilencePeak = 255;    // a window this quiet or quieter is silent

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

// What one call measured, window by window: the energies (silent windows
// as zero), the four correlation sums, and the call's strongest energy.
struct Windows {
    explicit Windows(std::int32_t count)
        : e1(count), e2(count), c1(count), s1(count), c2(count), s2(count) {}
    std::vector<double> e1, e2, c1, s1, c2, s2;
    double scale = 1.0;
};

// Records one window's energies and sums, silent windows as zero, and widens the scale.
void Record(std::size_t k, std::int32_t peak, double c1, double s1, double c2, double s2, Windows& w) {
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

// e^(−iψ) for the phase a tone of `period` samples has reached after `position` samples.
std::complex<double> PhaseTurn(double position, double period) {
    double cycles = position / period;  // an infinite period (0 Hz) never turns
    cycles -= std::floor(cycles);
    return std::polar(1.0, -kTwoPi * cycles);
}

// Appends one level per window once every window of the call is measured:
// the scale is the call's strongest single-tone energy. With `soft`, each
// window's correlations go there too, turned to the phase reference of the
// call's first sample.
void AppendLevels(const Windows& w, const CallGeometry& g, std::vector<std::int32_t>& levels,
                  std::vector<SoftWindow>* soft) {
    // No exact reserve here: the stream grows by a few hundred levels a call
    // for hours, and an exact reserve would copy all of it on every call.
    for (std::size_t k = 0; k < w.e1.size(); ++k)
        levels.push_back(128 + static_cast<std::int32_t>(std::trunc((w.e1[k] - w.e2[k]) * 125.0 / w.scale)));
    if (soft == nullptr) return;
    for (std::size_t k = 0; k < w.e1.size(); ++k) {
        const double position = static_cast<double>(g.start) + static_cast<double>(k) * g.window;
        const std::complex<double> z1 = std::complex<double>(w.c1[k], -w.s1[k]) * PhaseTurn(position, g.period1);
        const std::complex<double> z2 = std::complex<double>(w.c2[k], -w.s2[k]) * PhaseTurn(position, g.period2);
        soft->push_back({static_cast<_Float16>(z1.real()), static_cast<_Float16>(z1.imag()),
                         static_cast<_Float16>(z2.real()), static_cast<_Float16>(z2.imag())});
    }
}

}  // namespace

std::int32_t DemodulateReference(const DemodSettings& settings, const CaptureFormat& format,
                                 const std::int16_t* samples, std::int32_t byteCount,
                                 std::vector<std::int32_t>& levels, std::vector<SoftWindow>* soft) {
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

namespace {

// The call's tone references, the same for every window because the phase
// restarts at every window.
struct References {
    explicit References(const CallGeometry& g) : cos1(g.window), sin1(g.window), cos2(g.window), sin2(g.window) {
        const double p1 = g.period1;
        const double p2 = g.period2;
        for (std::int32_t j = 0; j < g.window; ++j) {
            const double phi1 = j * kTwoPi / p1;
            const double phi2 = j * kTwoPi / p2;
            cos1[j] = std::cos(phi1);
            sin1[j] = std::sin(phi1);
            cos2[j] = std::cos(phi2);
            sin2[j] = std::sin(phi2);
        }
    }
    std::vector<double> cos1, sin1, cos2, sin2;
};

// Lanes doubles side by side in one vector register.
template <int Lanes>
struct VectorOf;
template <>
struct VectorOf<2> {
    using Type = double __attribute__((vector_size(16)));
};
template <>
struct VectorOf<4> {
    using Type = double __attribute__((vector_size(32)));
};
template <>
struct VectorOf<8> {
    using Type = double __attribute__((vector_size(64)));
};

// Samples of one group turned on their side a stretch at a time, so that a
// vector load gives the same sample of every window of the group.
constexpr std::int32_t kStretch = 128;

// Measures every window, 2 × Lanes windows at a time: each lane of a vector
// is one window and does exactly the plain arithmetic of that window in the
// same order (scaled sample times reference, added to the running sum), so
// the result is bit-identical to the plain loop; lanes never mix. A last
// group with fewer windows fills the spare lanes with zeros and ignores them.
// Always inlined, so that it is compiled for the instruction set of the
// kernel that calls it.
template <int Lanes>
[[gnu::always_inline]] inline void MeasureWindows(const CallGeometry& g, const std::int16_t* samples,
                                                  const References& r, Windows& w) {
    using Vector = typename VectorOf<Lanes>::Type;
    constexpr int kGroup = 2 * Lanes;
    const std::int32_t n = g.window;
    alignas(64) double sideways[kStretch * kGroup];
    for (std::int32_t k = 0; k < g.windowCount; k += kGroup) {
        const std::int32_t inGroup = std::min<std::int32_t>(kGroup, g.windowCount - k);
        const std::int16_t* x = samples + g.start + static_cast<std::int64_t>(k) * n;
        Vector c1a{}, c1b{}, s1a{}, s1b{}, c2a{}, c2b{}, s2a{}, s2b{};
        for (std::int32_t j0 = 0; j0 < n; j0 += kStretch) {
            const std::int32_t stretch = std::min(kStretch, n - j0);
            for (std::int32_t lane = 0; lane < kGroup; ++lane) {
                if (lane < inGroup) {
                    const std::int16_t* xl = x + static_cast<std::int64_t>(lane) * n + j0;
                    for (std::int32_t j = 0; j < stretch; ++j) sideways[j * kGroup + lane] = xl[j] * kSampleScale;
                } else {
                    for (std::int32_t j = 0; j < stretch; ++j) sideways[j * kGroup + lane] = 0.0;
                }
            }
            for (std::int32_t j = 0; j < stretch; ++j) {
                Vector va, vb;
                std::memcpy(&va, sideways + j * kGroup, sizeof va);
                std::memcpy(&vb, sideways + j * kGroup + Lanes, sizeof vb);
                const std::int32_t at = j0 + j;
                const Vector rc1 = Vector{} + r.cos1[at];
                const Vector rs1 = Vector{} + r.sin1[at];
                const Vector rc2 = Vector{} + r.cos2[at];
                const Vector rs2 = Vector{} + r.sin2[at];
                c1a += va * rc1;
                c1b += vb * rc1;
                s1a += va * rs1;
                s1b += vb * rs1;
                c2a += va * rc2;
                c2b += vb * rc2;
                s2a += va * rs2;
                s2b += vb * rs2;
            }
        }
        for (std::int32_t lane = 0; lane < inGroup; ++lane) {
            const bool first = lane < Lanes;
            const int l = first ? lane : lane - Lanes;
            Record(static_cast<std::size_t>(k + lane), WindowPeak(x + static_cast<std::int64_t>(lane) * n, n),
                   first ? c1a[l] : c1b[l], first ? s1a[l] : s1b[l], first ? c2a[l] : c2b[l],
                   first ? s2a[l] : s2b[l], w);
        }
    }
}

void MeasureSse2(const CallGeometry& g, const std::int16_t* samples, const References& r, Windows& w) {
    MeasureWindows<2>(g, samples, r, w);
}

__attribute__((target("avx2"))) void MeasureAvx2(const CallGeometry& g, const std::int16_t* samples,
                                                 const References& r, Windows& w) {
    MeasureWindows<4>(g, samples, r, w);
}

__attribute__((target("avx512f"))) void MeasureAvx512(const CallGeometry& g, const std::int16_t* samples,
                                                     const References& r, Windows& w) {
    MeasureWindows<8>(g, samples, r, w);
}

bool CanRun(DemodKernel kernel) {
    __builtin_cpu_init();
    switch (kernel) {
        case DemodKernel::Sse2: return true;  // every x86-64 processor
        case DemodKernel::Avx2: return __builtin_cpu_supports("avx2");
        case DemodKernel::Avx512: return __builtin_cpu_supports("avx512f");
    }
    return false;
}

DemodKernel BestKernel() {
    static const DemodKernel best = CanRun(DemodKernel::Avx512) ? DemodKernel::Avx512
                                    : CanRun(DemodKernel::Avx2) ? DemodKernel::Avx2
                                                                : DemodKernel::Sse2;
    return best;
}

std::int32_t DemodulateFast(DemodKernel kernel, const DemodSettings& settings, const CaptureFormat& format,
                            const std::int16_t* samples, std::int32_t byteCount, std::vector<std::int32_t>& levels,
                            std::vector<SoftWindow>* soft) {
    const CallGeometry g = Measure(settings, format, samples, byteCount);
    if (g.windowCount <= 0) return 2 * g.start;
    const References r(g);
    Windows w(g.windowCount);
    switch (kernel) {
        case DemodKernel::Sse2: MeasureSse2(g, samples, r, w); break;
        case DemodKernel::Avx2: MeasureAvx2(g, samples, r, w); break;
        case DemodKernel::Avx512: MeasureAvx512(g, samples, r, w); break;
    }
    AppendLevels(w, g, levels, soft);
    return 2 * (g.start + g.windowCount * g.window);
}

}  // namespace

std::vector<DemodKernel> SupportedDemodKernels() {
    std::vector<DemodKernel> kernels;
    for (DemodKernel k : {DemodKernel::Sse2, DemodKernel::Avx2, DemodKernel::Avx512})
        if (CanRun(k)) kernels.push_back(k);
    return kernels;
}

const char* DemodKernelName(DemodKernel kernel) {
    switch (kernel) {
        case DemodKernel::Sse2: return "SSE2";
        case DemodKernel::Avx2: return "AVX2";
        case DemodKernel::Avx512: return "AVX-512";
    }
    return "?";
}

std::int32_t DemodulateWithKernel(DemodKernel kernel, const DemodSettings& settings, const CaptureFormat& format,
                                  const std::int16_t* samples, std::int32_t byteCount,
                                  std::vector<std::int32_t>& levels, std::vector<SoftWindow>* soft) {
    if (!CanRun(kernel))
        throw std::invalid_argument(std::string("this processor cannot run the ") + DemodKernelName(kernel) +
                                    " demodulator kernel");
    return DemodulateFast(kernel, settings, format, samples, byteCount, levels, soft);
}

std::int32_t Demodulate(const DemodSettings& settings, const CaptureFormat& format,
                        const std::int16_t* samples, std::int32_t byteCount,
                        std::vector<std::int32_t>& levels, std::vector<SoftWindow>* soft) {
    return DemodulateFast(BestKernel(), settings, format, samples, byteCount, levels, soft);
}

void ReferSoftWindows(std::vector<SoftWindow>& soft, std::size_t from, const DemodSettings& settings,
                      std::int64_t samplesBefore) {
    if (samplesBefore == 0 || from >= soft.size()) return;
    const double position = static_cast<double>(samplesBefore);
    const std::complex<double> turn1 = PhaseTurn(position, kPeriodBase / settings.tone1Hz);
    const std::complex<double> turn2 = PhaseTurn(position, kPeriodBase / settings.tone2Hz);
    for (std::size_t k = from; k < soft.size(); ++k) {
        SoftWindow& w = soft[k];
        const std::complex<double> z1 = w.Tone1() * turn1;
        const std::complex<double> z2 = w.Tone2() * turn2;
        w = {static_cast<_Float16>(z1.real()), static_cast<_Float16>(z1.imag()), static_cast<_Float16>(z2.real()),
             static_cast<_Float16>(z2.imag())};
    }
}

}  // namespace morvane
