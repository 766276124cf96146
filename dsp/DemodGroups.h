#pragma once
// The body every vector kernel of the demodulator shares: windows measured a
// group at a time, each lane of a vector one window. Written with SSE2
// intrinsics (every x86-64 processor has them) and the compilers' generic
// vector types, and always inlined, so that each kernel's file compiles it
// for its own instruction set (see DemodSse2.cpp, DemodAvx2.cpp,
// DemodAvx512.cpp). Used inside dsp/ only.
#include <emmintrin.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "dsp/DemodCall.h"

namespace morvane::demod {

// The call's tone references, the same for every window because the phase
// restarts at every window.
struct References {
    explicit References(const CallGeometry& g);
    std::vector<double> cos1, sin1, cos2, sin2;
};

/// The references of the last call on this thread: calls come with the same
/// tones and window for hours, so they are computed once.
const References& ReferencesFor(const CallGeometry& g);

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

using Short8 = std::int16_t __attribute__((vector_size(16)));
using Int8 = std::int32_t __attribute__((vector_size(32)));
using Double8 = double __attribute__((vector_size(64)));

// Samples of one group turned on their side a stretch at a time, so that a
// vector load gives the same sample of every window of the group.
constexpr std::int32_t kStretch = 128;

// Every lane set to `value` (by reference: vectors wider than the build's
// baseline are never passed by value).
template <typename Vector>
[[gnu::always_inline]] inline void Splat(Vector& v, double value) {
    for (std::size_t lane = 0; lane < sizeof(Vector) / sizeof(double); ++lane) v[lane] = value;
}

// Eight rows of eight samples turned into eight columns: out[t] holds sample
// t of rows 0 … 7, in row order.
[[gnu::always_inline]] inline void Transpose8(const __m128i (&in)[8], __m128i (&out)[8]) {
    __m128i pairs[8], quads[8];
#pragma GCC unroll 8
    for (int r = 0; r < 8; r += 2) {
        pairs[r] = _mm_unpacklo_epi16(in[r], in[r + 1]);      // samples 0 … 3 of rows r, r + 1
        pairs[r + 1] = _mm_unpackhi_epi16(in[r], in[r + 1]);  // samples 4 … 7
    }
#pragma GCC unroll 8
    for (int r = 0; r < 8; r += 4)
#pragma GCC unroll 8
        for (int h = 0; h < 2; ++h) {
            quads[r + 2 * h] = _mm_unpacklo_epi32(pairs[r + h], pairs[r + h + 2]);
            quads[r + 2 * h + 1] = _mm_unpackhi_epi32(pairs[r + h], pairs[r + h + 2]);
        }
#pragma GCC unroll 8
    for (int q = 0; q < 4; ++q) {
        out[2 * q] = _mm_unpacklo_epi64(quads[q], quads[q + 4]);
        out[2 * q + 1] = _mm_unpackhi_epi64(quads[q], quads[q + 4]);
    }
}

// Largest |sample| of a window as a 32-bit integer (|−32768| = 32768), from
// the window's largest and smallest sample, eight samples at a time.
[[gnu::always_inline]] inline std::int32_t WindowPeak(const std::int16_t* x, std::int32_t n) {
    if (n <= 0) return 0;
    std::int16_t hi = x[0];
    std::int16_t lo = x[0];
    std::int32_t j = 0;
    if (n >= 8) {
        __m128i vhi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x));
        __m128i vlo = vhi;
        for (j = 8; j + 8 <= n; j += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x + j));
            vhi = _mm_max_epi16(vhi, v);
            vlo = _mm_min_epi16(vlo, v);
        }
        std::int16_t his[8], los[8];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(his), vhi);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(los), vlo);
        hi = *std::max_element(his, his + 8);
        lo = *std::min_element(los, los + 8);
    }
    for (; j < n; ++j) {
        hi = std::max(hi, x[j]);
        lo = std::min(lo, x[j]);
    }
    return std::max(static_cast<std::int32_t>(hi), -static_cast<std::int32_t>(lo));
}

// The largest and smallest sample of each window of a group, eight windows a register.
template <int Group>
struct GroupPeaks {
    __m128i high[Group / 8], low[Group / 8];

    [[gnu::always_inline]] void Clear() {
        for (int o = 0; o < Group / 8; ++o) high[o] = low[o] = _mm_setzero_si128();
    }
    [[gnu::always_inline]] std::int32_t Of(int lane) const {
        std::int16_t his[8], los[8];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(his), high[lane / 8]);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(los), low[lane / 8]);
        return std::max<std::int32_t>(his[lane % 8], -static_cast<std::int32_t>(los[lane % 8]));
    }
};

// One stretch of a group of windows whose length is a multiple of eight,
// turned on its side eight windows and eight samples at a time, scaled; the
// peaks follow. Lanes past `inGroup` read as zeros.
template <int Group>
[[gnu::always_inline]] inline void TurnByEights(const std::int16_t* x, std::int32_t n, std::int32_t inGroup,
                                                std::int32_t j0, std::int32_t stretch, double* sideways,
                                                GroupPeaks<Group>& peaks) {
    Double8 scale;
    Splat(scale, kSampleScale);
    for (int o = 0; o < Group / 8; ++o)
        for (std::int32_t jb = 0; jb < stretch; jb += 8) {
            __m128i rows[8], columns[8];
#pragma GCC unroll 8
            for (int row = 0; row < 8; ++row) {
                const int lane = 8 * o + row;
                rows[row] = lane < inGroup ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(
                                                 x + static_cast<std::int64_t>(lane) * n + j0 + jb))
                                           : _mm_setzero_si128();
            }
            Transpose8(rows, columns);
#pragma GCC unroll 8
            for (int c = 0; c < 8; ++c) {
                peaks.high[o] = _mm_max_epi16(peaks.high[o], columns[c]);
                peaks.low[o] = _mm_min_epi16(peaks.low[o], columns[c]);
                Short8 column;
                std::memcpy(&column, &columns[c], sizeof column);
                const Int8 wide = __builtin_convertvector(column, Int8);
                const Double8 v = __builtin_convertvector(wide, Double8) * scale;
                std::memcpy(sideways + (jb + c) * Group + 8 * o, &v, sizeof v);
            }
        }
}

// The same for any window length, one sample at a time.
template <int Group>
[[gnu::always_inline]] inline void TurnOneByOne(const std::int16_t* x, std::int32_t n, std::int32_t inGroup,
                                                std::int32_t j0, std::int32_t stretch, double* sideways) {
    for (std::int32_t lane = 0; lane < Group; ++lane) {
        const std::int16_t* xl = x + static_cast<std::int64_t>(lane) * n + j0;
        for (std::int32_t j = 0; j < stretch; ++j)
            sideways[j * Group + lane] = lane < inGroup ? xl[j] * kSampleScale : 0.0;
    }
}

// Measures every window, Lanes × Vectors windows (a multiple of eight) at a
// time: each lane of a vector is one window and does exactly the plain
// arithmetic of that window in the same order (scaled sample times reference,
// added to the running sum), so the result is bit-identical to the plain
// loop; lanes never mix. A last group with fewer windows fills the spare lanes
// with zeros and ignores them.
template <int Lanes, int Vectors>
[[gnu::always_inline]] inline void MeasureInGroups(const CallGeometry& g, const std::int16_t* samples,
                                                   const References& r, Windows& w) {
    using Vector = typename VectorOf<Lanes>::Type;
    constexpr int kGroup = Lanes * Vectors;
    static_assert(kGroup % 8 == 0, "groups are turned eight windows at a time");
    const std::int32_t n = g.window;
    const bool byEights = n % 8 == 0;
    alignas(64) double sideways[kStretch * kGroup];
    for (std::int32_t k = 0; k < g.windowCount; k += kGroup) {
        const std::int32_t inGroup = std::min<std::int32_t>(kGroup, g.windowCount - k);
        const std::int16_t* x = samples + g.start + static_cast<std::int64_t>(k) * n;
        Vector c1[Vectors] = {}, s1[Vectors] = {}, c2[Vectors] = {}, s2[Vectors] = {};
        GroupPeaks<kGroup> peaks;
        peaks.Clear();
        for (std::int32_t j0 = 0; j0 < n; j0 += kStretch) {
            const std::int32_t stretch = std::min(kStretch, n - j0);
            if (byEights) TurnByEights<kGroup>(x, n, inGroup, j0, stretch, sideways, peaks);
            else TurnOneByOne<kGroup>(x, n, inGroup, j0, stretch, sideways);
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
            const std::int32_t peak =
                byEights ? peaks.Of(lane) : WindowPeak(x + static_cast<std::int64_t>(lane) * n, n);
            Record(static_cast<std::size_t>(k + lane), peak, c1[q][l], s1[q][l], c2[q][l], s2[q][l], w);
        }
    }
}

}  // namespace morvane::demod
