#include "dsp/Spectrum.h"

#include <array>
#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>

namespace morvane {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kFourPi = 2.0 * kTwoPi;
constexpr double kInverseWindow = 1.0 / 4096.0;
constexpr std::uint32_t kMaxFftSize = std::uint32_t{1} << 24;

void CheckSize(std::uint64_t n) {
    if (n == 0 || n > kMaxFftSize || (n & (n - 1)) != 0)
        throw std::invalid_argument("transform size must be a power of two from 1 to 16777216, got " +
                                    std::to_string(n));
}

// Periodic Blackman window: the divisor is 4096, so w(0) = 0 and w(2048) = 1.
double BlackmanWindow(std::int32_t i) {
    return 0.42 - 0.5 * std::cos(i * kTwoPi * kInverseWindow) + 0.08 * std::cos(i * kFourPi * kInverseWindow);
}

// The window narrowed to float, computed once: the same values every block
// would compute again with two cosines per sample.
const std::array<float, kFftSize>& BlackmanTable() {
    static const std::array<float, kFftSize> table = [] {
        std::array<float, kFftSize> t{};
        for (std::int32_t i = 0; i < kFftSize; ++i) t[static_cast<std::size_t>(i)] = static_cast<float>(BlackmanWindow(i));
        return t;
    }();
    return table;
}

// Reorders n interleaved complex points into bit-reversed index order.
void BitReverse(float* x, std::uint32_t n) {
    for (std::uint32_t i = 0, j = 0; i < n; ++i) {
        if (i < j) {
            std::swap(x[2 * i], x[2 * j]);
            std::swap(x[2 * i + 1], x[2 * j + 1]);
        }
        std::uint32_t bit = n >> 1;
        while (bit != 0 && (j & bit) != 0) {
            j ^= bit;
            bit >>= 1;
        }
        j |= bit;
    }
}

// Radix-2 butterflies over bit-reversed points. The twiddle advances by the
// recurrence w += w·(α + iβ) rather than being evaluated per offset; the
// products are double, every point is stored back as float.
void Butterflies(float* x, std::uint32_t n) {
    for (std::uint32_t m = 1; m < n; m *= 2) {
        const double theta = kTwoPi / (2.0 * m);
        const double half = std::sin(0.5 * theta);
        const double alpha = -2.0 * half * half;
        const double beta = std::sin(theta);
        double wr = 1.0;
        double wi = 0.0;
        for (std::uint32_t j = 0; j < m; ++j) {
            for (std::uint32_t g = j; g < n; g += 2 * m) {
                float* a = x + 2 * static_cast<std::size_t>(g);
                float* b = x + 2 * static_cast<std::size_t>(g + m);
                const double tr = wr * static_cast<double>(b[0]) - wi * static_cast<double>(b[1]);
                const double ti = wr * static_cast<double>(b[1]) + wi * static_cast<double>(b[0]);
                b[0] = static_cast<float>(static_cast<double>(a[0]) - tr);
                b[1] = static_cast<float>(static_cast<double>(a[1]) - ti);
                a[0] = static_cast<float>(static_cast<double>(a[0]) + tr);
                a[1] = static_cast<float>(static_cast<double>(a[1]) + ti);
            }
            const double oldWr = wr;
            wr = wr + (wr * alpha - wi * beta);
            wi = wi + (wi * alpha + oldWr * beta);
        }
    }
}

}  // namespace

void ComputeSpectrum(const std::int16_t* samples, std::unique_ptr<float[]>& result, std::int32_t n) {
    ComputeSpectrum(samples, kFftSize, result, n);
}

void ComputeSpectrum(const std::int16_t* samples, std::size_t sampleCount, std::unique_ptr<float[]>& result,
                     std::int32_t n) {
    if (samples == nullptr && sampleCount > 0) throw std::invalid_argument("spectrum samples must not be null");
    if (n < 0) throw std::invalid_argument("transform size must not be negative, got " + std::to_string(n));
    CheckSize(static_cast<std::uint64_t>(n));
    const std::array<float, kFftSize>& window = BlackmanTable();
    auto windowed = std::make_unique<float[]>(kFftSize);
    for (std::int32_t i = 0; i < kFftSize; ++i) {
        // Samples missing from a short block count as silence.
        const float x = static_cast<std::size_t>(i) < sampleCount ? static_cast<float>(samples[i]) : 0.0f;
        windowed[i] = x * window[static_cast<std::size_t>(i)];
    }
    SpectrumFft(result, windowed.get(), static_cast<std::uint32_t>(n));
}

void SpectrumFft(std::unique_ptr<float[]>& result, const float* input, std::uint32_t n) {
    CheckSize(n);
    if (input == nullptr) throw std::invalid_argument("transform input must not be null");
    result.reset();
    result = std::make_unique<float[]>(2 * static_cast<std::size_t>(n));  // zero-filled
    float* x = result.get();
    const std::uint32_t loaded = n < static_cast<std::uint32_t>(kFftSize) ? n : static_cast<std::uint32_t>(kFftSize);
    for (std::uint32_t k = 0; k < loaded; ++k) x[2 * static_cast<std::size_t>(k)] = input[k];
    BitReverse(x, n);
    Butterflies(x, n);
}

std::int32_t SpectrumLevel(float re, float im) {
    constexpr std::int32_t kMaxLevel = 255;
    const double r = re;
    const double i = im;
    const double m = std::sqrt(r * r + i * i);
    double v = std::log10(m) + 4.0;
    if (!(v >= 0.0)) v = 0.0;  // below 10⁻⁴, zero, or not a number
    const float u = static_cast<float>(v) * 20.0f;
    if (!(u < static_cast<float>(kMaxLevel))) return kMaxLevel;  // only reachable from arbitrary floats
    const float whole = std::floor(u);
    // A fraction of exactly one half rounds down.
    const std::int32_t level = static_cast<std::int32_t>(whole) + (u - whole > 0.5f ? 1 : 0);
    return level;
}

}  // namespace morvane
