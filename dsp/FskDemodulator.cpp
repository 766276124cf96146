#include "dsp/FskDemodulator.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <immintrin.h>
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
[[gnu::always_inline]] inline void Record(std::size_t k, std::int32_t peak, double c1, double s1, double c2, double s2, Windows& w) {
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

// Soft windows to and from 32-bit floats, four per window (re1, im1, re2,
// im2). Both ways round to nearest-even, with F16C instructions where the
// processor has them and in software otherwise: the same results either way
// (a test holds the two to that).
void PackHalvesPlain(const float* in, SoftWindow* out, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k)
        out[k] = {static_cast<_Float16>(in[4 * k]), static_cast<_Float16>(in[4 * k + 1]),
                  static_cast<_Float16>(in[4 * k + 2]), static_cast<_Float16>(in[4 * k + 3])};
}

__attribute__((target("avx,f16c"))) void PackHalvesF16c(const float* in, SoftWindow* out, std::size_t count) {
    // Two windows (eight values) per conversion; the layout of a window is
    // four 16-bit floats in the order of the values.
    auto* bytes = reinterpret_cast<unsigned char*>(out);
    std::size_t k = 0;
    for (; k + 2 <= count; k += 2) {
        const __m128i halves = _mm256_cvtps_ph(_mm256_loadu_ps(in + 4 * k), _MM_FROUND_TO_NEAREST_INT);
        std::memcpy(bytes + k * sizeof(SoftWindow), &halves, sizeof halves);
    }
    PackHalvesPlain(in + 4 * k, out + k, count - k);
}

void UnpackHalvesPlain(const SoftWindow* in, float* out, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) {
        out[4 * k] = static_cast<float>(in[k].re1);
        out[4 * k + 1] = static_cast<float>(in[k].im1);
        out[4 * k + 2] = static_cast<float>(in[k].re2);
        out[4 * k + 3] = static_cast<float>(in[k].im2);
    }
}

__attribute__((target("avx,f16c"))) void UnpackHalvesF16c(const SoftWindow* in, float* out, std::size_t count) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(in);
    std::size_t k = 0;
    for (; k + 2 <= count; k += 2) {
        __m128i halves;
        std::memcpy(&halves, bytes + k * sizeof(SoftWindow), sizeof halves);
        _mm256_storeu_ps(out + 4 * k, _mm256_cvtph_ps(halves));
    }
    UnpackHalvesPlain(in + k, out + 4 * k, count - k);
}

bool HasF16c() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("f16c") != 0 && __builtin_cpu_supports("avx") != 0;
    }();
    return has;
}

void PackHalves(const float* in, SoftWindow* out, std::size_t count) {
    if (HasF16c()) PackHalvesF16c(in, out, count);
    else PackHalvesPlain(in, out, count);
}


// The turns of a call's windows relative to its first: window k of a call
// has moved k × window samples on. Kept per thread for the last geometry, up
// to kTurnSpan windows; longer calls start a new span every kTurnSpan windows.
constexpr std::size_t kTurnSpan = 1024;

struct TurnTable {
    float period = 0.0f;
    std::int32_t window = -1;
    std::vector<std::complex<double>> turns;  // turns[k]: the turn after k windows
};

const std::vector<std::complex<double>>& WindowTurns(float period, std::int32_t window, int which) {
    thread_local TurnTable tables[2];
    TurnTable& t = tables[which];
    if (std::memcmp(&t.period, &period, sizeof period) != 0 || t.window != window) {
        t.period = period;
        t.window = window;
        t.turns.resize(kTurnSpan);
        for (std::size_t k = 0; k < kTurnSpan; ++k)
            t.turns[k] = PhaseTurn(static_cast<double>(k) * window, period);
    }
    return t.turns;
}

// Appends one level per window once every window of the call is measured:
// the scale is the call's strongest single-tone energy. With `soft`, each
// window's correlations go there too, turned to the phase reference of the
// call's first sample.
void AppendLevels(const Windows& w, const CallGeometry& g, std::vector<std::int32_t>& levels,
                  std::vector<SoftWindow>* soft, std::int64_t firstSample = 0) {
    // No exact reserve here: the stream grows by a few hundred levels a call
    // for hours, and an exact reserve would copy all of it on every call.
    // The conversion truncates toward zero; the value lies within ±125.
    const std::size_t first = levels.size();
    const std::size_t count = w.e1.size();
    levels.resize(first + count);
    std::int32_t* out = levels.data() + first;
    for (std::size_t k = 0; k < count; ++k)
        out[k] = 128 + static_cast<std::int32_t>((w.e1[k] - w.e2[k]) * 125.0 / w.scale);
    if (soft == nullptr) return;

    // Correlation with e^(−iφ): the cosine sum, minus the sine sum; turned
    // window by window to the call's first sample.
    std::vector<float> values(4 * count);
    const auto& turns1 = WindowTurns(g.period1, g.window, 0);
    const auto& turns2 = WindowTurns(g.period2, g.window, 1);
    for (std::size_t k0 = 0; k0 < count; k0 += kTurnSpan) {
        const double position = static_cast<double>(firstSample) + static_cast<double>(g.start) +
                                static_cast<double>(k0) * g.window;
        const std::complex<double> first1 = PhaseTurn(position, g.period1);
        const std::complex<double> first2 = PhaseTurn(position, g.period2);
        const std::size_t end = std::min(count, k0 + kTurnSpan);
        for (std::size_t k = k0; k < end; ++k) {
            const std::complex<double> t1 = first1 * turns1[k - k0];
            const std::complex<double> t2 = first2 * turns2[k - k0];
            const double a = w.c1[k], b = -w.s1[k], c = w.c2[k], d = -w.s2[k];
            float* v = values.data() + 4 * k;
            v[0] = static_cast<float>(a * t1.real() - b * t1.imag());
            v[1] = static_cast<float>(a * t1.imag() + b * t1.real());
            v[2] = static_cast<float>(c * t2.real() - d * t2.imag());
            v[3] = static_cast<float>(c * t2.imag() + d * t2.real());
        }
    }
    const std::size_t softFirst = soft->size();
    soft->resize(softFirst + count);
    PackHalves(values.data(), soft->data() + softFirst, count);
}

}  // namespace

std::int32_t DemodWindow(const DemodSettings& settings, const CaptureFormat& format) {
    const float windowF = static_cast<float>(format.samplesPerSec) / (settings.referenceBaud * kWindowsPerSymbol);
    if (!(windowF >= 1.0f) || !(windowF < 2147483648.0f)) return 0;
    return static_cast<std::int32_t>(windowF);
}

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

using Short8 = std::int16_t __attribute__((vector_size(16)));
using Int8 = std::int32_t __attribute__((vector_size(32)));
using Double8 = double __attribute__((vector_size(64)));

// Every lane set to `value` (by reference: vectors wider than the build's
// baseline are never passed by value).
template <typename Vector>
[[gnu::always_inline]] inline void Splat(Vector& v, double value) {
    for (std::size_t lane = 0; lane < sizeof(Vector) / sizeof(double); ++lane) v[lane] = value;
}

// Eight rows of eight samples turned into eight columns: out[t] holds sample
// t of rows 0 … 7, in row order.
[[gnu::always_inline]] inline void Transpose8(const Short8 (&in)[8], Short8 (&out)[8]) {
    Short8 a[8], b[8];
#pragma GCC unroll 8
    for (int r = 0; r < 8; r += 2) {
        a[r] = __builtin_shuffle(in[r], in[r + 1], Short8{0, 8, 1, 9, 2, 10, 3, 11});
        a[r + 1] = __builtin_shuffle(in[r], in[r + 1], Short8{4, 12, 5, 13, 6, 14, 7, 15});
    }
#pragma GCC unroll 8
    for (int r = 0; r < 8; r += 4)
#pragma GCC unroll 8
        for (int h = 0; h < 2; ++h) {
            b[r + 2 * h] = __builtin_shuffle(a[r + h], a[r + h + 2], Short8{0, 1, 8, 9, 2, 3, 10, 11});
            b[r + 2 * h + 1] = __builtin_shuffle(a[r + h], a[r + h + 2], Short8{4, 5, 12, 13, 6, 7, 14, 15});
        }
#pragma GCC unroll 8
    for (int q = 0; q < 4; ++q) {
        out[2 * q] = __builtin_shuffle(b[q], b[q + 4], Short8{0, 1, 2, 3, 8, 9, 10, 11});
        out[2 * q + 1] = __builtin_shuffle(b[q], b[q + 4], Short8{4, 5, 6, 7, 12, 13, 14, 15});
    }
}

// Measures every window, Lanes × Vectors windows (a multiple of eight) at a
// time: each lane of a vector is one window and does exactly the plain
// arithmetic of that window in the same order (scaled sample times reference,
// added to the running sum), so the result is bit-identical to the plain
// loop; lanes never mix. A last group with fewer windows fills the spare lanes
// with zeros and ignores them. Always inlined, so that it is compiled for the
// instruction set of the kernel that calls it.
template <int Lanes, int Vectors>
[[gnu::always_inline]] inline void MeasureWindows(const CallGeometry& g, const std::int16_t* samples,
                                                  const References& r, Windows& w) {
    using Vector = typename VectorOf<Lanes>::Type;
    constexpr int kGroup = Lanes * Vectors;
    static_assert(kGroup % 8 == 0, "groups are turned eight windows at a time");
    const std::int32_t n = g.window;
    const bool byEights = n % 8 == 0;
    alignas(64) double sideways[kStretch * kGroup];
    Double8 scale;
    Splat(scale, kSampleScale);
    for (std::int32_t k = 0; k < g.windowCount; k += kGroup) {
        const std::int32_t inGroup = std::min<std::int32_t>(kGroup, g.windowCount - k);
        const std::int16_t* x = samples + g.start + static_cast<std::int64_t>(k) * n;
        Vector c1[Vectors] = {}, s1[Vectors] = {}, c2[Vectors] = {}, s2[Vectors] = {};
        Short8 high[kGroup / 8], low[kGroup / 8];  // the largest and smallest sample of each window
        for (int o = 0; o < kGroup / 8; ++o) high[o] = low[o] = Short8{};
        for (std::int32_t j0 = 0; j0 < n; j0 += kStretch) {
            const std::int32_t stretch = std::min(kStretch, n - j0);
            if (byEights) {
                for (int o = 0; o < kGroup / 8; ++o)
                    for (std::int32_t jb = 0; jb < stretch; jb += 8) {
                        Short8 rows[8], columns[8];
#pragma GCC unroll 8
                        for (int row = 0; row < 8; ++row) {
                            const int lane = 8 * o + row;
                            if (lane < inGroup)
                                std::memcpy(&rows[row], x + static_cast<std::int64_t>(lane) * n + j0 + jb, sizeof(Short8));
                            else
                                rows[row] = Short8{};
                        }
                        Transpose8(rows, columns);
#pragma GCC unroll 8
                        for (int c = 0; c < 8; ++c) {
                            high[o] = high[o] > columns[c] ? high[o] : columns[c];
                            low[o] = low[o] < columns[c] ? low[o] : columns[c];
                            const Int8 wide = __builtin_convertvector(columns[c], Int8);
                            const Double8 v = __builtin_convertvector(wide, Double8) * scale;
                            std::memcpy(sideways + (jb + c) * kGroup + 8 * o, &v, sizeof v);
                        }
                    }
            } else {
                for (std::int32_t lane = 0; lane < kGroup; ++lane) {
                    const std::int16_t* xl = x + static_cast<std::int64_t>(lane) * n + j0;
                    for (std::int32_t j = 0; j < stretch; ++j)
                        sideways[j * kGroup + lane] = lane < inGroup ? xl[j] * kSampleScale : 0.0;
                }
            }
            for (std::int32_t j = 0; j < stretch; ++j) {
                const std::int32_t at = j0 + j;
                Vector rc1, rs1, rc2, rs2;
                Splat(rc1, r.cos1[at]);
                Splat(rs1, r.sin1[at]);
                Splat(rc2, r.cos2[at]);
                Splat(rs2, r.sin2[at]);
#pragma GCC unroll 8
                for (int q = 0; q < Vectors; ++q) {
                    Vector v;
                    std::memcpy(&v, sideways + j * kGroup + q * Lanes, sizeof v);
                    c1[q] += v * rc1;
                    s1[q] += v * rs1;
                    c2[q] += v * rc2;
                    s2[q] += v * rs2;
                }
            }
        }
        for (std::int32_t lane = 0; lane < inGroup; ++lane) {
            const int q = lane / Lanes;
            const int l = lane % Lanes;
            const std::int16_t* xl = x + static_cast<std::int64_t>(lane) * n;
            const std::int32_t peak =
                byEights ? std::max<std::int32_t>(high[lane / 8][lane % 8], -static_cast<std::int32_t>(low[lane / 8][lane % 8]))
                         : WindowPeak(xl, n);
            Record(static_cast<std::size_t>(k + lane), peak, c1[q][l], s1[q][l], c2[q][l], s2[q][l], w);
        }
    }
}

void MeasureSse2(const CallGeometry& g, const std::int16_t* samples, const References& r, Windows& w) {
    MeasureWindows<2, 4>(g, samples, r, w);
}

__attribute__((target("avx2"))) void MeasureAvx2(const CallGeometry& g, const std::int16_t* samples,
                                                 const References& r, Windows& w) {
    MeasureWindows<4, 2>(g, samples, r, w);
}

__attribute__((target("avx512f"))) void MeasureAvx512(const CallGeometry& g, const std::int16_t* samples,
                                                     const References& r, Windows& w) {
    MeasureWindows<8, 2>(g, samples, r, w);
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

// The references of the last call on this thread: calls come with the same
// tones and window for hours, so they are computed once.
const References& ReferencesFor(const CallGeometry& g) {
    struct Cached {
        float period1 = 0.0f, period2 = 0.0f;
        std::int32_t window = -1;
        References references{CallGeometry{}};
    };
    thread_local Cached cached;
    // Compared bit for bit: NaN never occurs (finite tones), and 0 Hz gives infinity.
    if (std::memcmp(&cached.period1, &g.period1, sizeof(float)) != 0 ||
        std::memcmp(&cached.period2, &g.period2, sizeof(float)) != 0 || cached.window != g.window) {
        cached.references = References(g);
        cached.period1 = g.period1;
        cached.period2 = g.period2;
        cached.window = g.window;
    }
    return cached.references;
}

std::int32_t DemodulateFast(DemodKernel kernel, const DemodSettings& settings, const CaptureFormat& format,
                            const std::int16_t* samples, std::int32_t byteCount, std::vector<std::int32_t>& levels,
                            std::vector<SoftWindow>* soft, std::int64_t firstSample = 0) {
    const CallGeometry g = Measure(settings, format, samples, byteCount);
    if (g.windowCount <= 0) return 2 * g.start;
    const References& r = ReferencesFor(g);
    Windows w(g.windowCount);
    switch (kernel) {
        case DemodKernel::Sse2: MeasureSse2(g, samples, r, w); break;
        case DemodKernel::Avx2: MeasureAvx2(g, samples, r, w); break;
        case DemodKernel::Avx512: MeasureAvx512(g, samples, r, w); break;
    }
    AppendLevels(w, g, levels, soft, firstSample);
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

std::int32_t DemodulateInStream(const DemodSettings& settings, const CaptureFormat& format,
                                const std::int16_t* samples, std::int32_t byteCount,
                                std::vector<std::int32_t>& levels, std::vector<SoftWindow>& soft,
                                std::int64_t firstSample) {
    return DemodulateFast(BestKernel(), settings, format, samples, byteCount, levels, &soft, firstSample);
}

void PackSoftWindows(const float* in, SoftWindow* out, std::size_t count, bool hardware) {
    if (hardware && HasF16c()) PackHalvesF16c(in, out, count);
    else PackHalvesPlain(in, out, count);
}

void UnpackSoftWindows(const SoftWindow* in, float* out, std::size_t count, bool hardware) {
    if (hardware && HasF16c()) UnpackHalvesF16c(in, out, count);
    else UnpackHalvesPlain(in, out, count);
}

}  // namespace morvane
