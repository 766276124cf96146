#pragma once
// Measurements the channel tests make on sound: tone power by its DFT term,
// band power by FFT periodograms, frequency by interpolated zero crossings.
#include <cmath>
#include <complex>
#include <cstddef>
#include <utility>
#include <vector>

namespace morvane::channeltest {

inline constexpr double kRate = 48000.0;
inline constexpr double kTwoPi = 6.283185307179586;

/// x(n) = amplitude cos(2 pi hz n / 48000), n = 0 ... count - 1.
inline std::vector<double> Tone(double hz, double amplitude, std::size_t count) {
    std::vector<double> x(count);
    for (std::size_t n = 0; n < count; ++n) x[n] = amplitude * std::cos(kTwoPi * hz * static_cast<double>(n) / kRate);
    return x;
}

/// Power of the component at `hz` in x[first, first + count) (a tone of
/// amplitude A gives A^2 / 2), from the DFT term at that frequency.
inline double PowerAt(const std::vector<double>& x, double hz, std::size_t first, std::size_t count) {
    std::complex<double> sum{0.0, 0.0};
    for (std::size_t n = 0; n < count; ++n)
        sum += x[first + n] * std::polar(1.0, -kTwoPi * hz * static_cast<double>(n) / kRate);
    const double amplitude = 2.0 * std::abs(sum) / static_cast<double>(count);
    return amplitude * amplitude / 2.0;
}

/// In-place radix-2 FFT (size a power of two), X_k = sum x_n e^(-j 2 pi k n / N).
inline void Fft(std::vector<std::complex<double>>& a) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> step = std::polar(1.0, -kTwoPi / static_cast<double>(len));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> w{1.0, 0.0};
            for (std::size_t k = 0; k < len / 2; ++k) {
                const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
}

/// Power of x in lowHz ... highHz: periodograms of 65 536-sample pieces
/// (0.73 Hz bins) summed over the band, both signs of frequency, averaged
/// over the pieces.
inline double BandPower(const std::vector<double>& x, double lowHz, double highHz) {
    constexpr std::size_t kSize = 65536;
    const double binHz = kRate / kSize;
    double total = 0.0;
    std::size_t pieces = 0;
    for (std::size_t first = 0; first + kSize <= x.size(); first += kSize, ++pieces) {
        std::vector<std::complex<double>> a(x.begin() + static_cast<std::ptrdiff_t>(first),
                                            x.begin() + static_cast<std::ptrdiff_t>(first + kSize));
        Fft(a);
        for (auto k = static_cast<std::size_t>(std::ceil(lowHz / binHz)); static_cast<double>(k) * binHz < highHz; ++k)
            total += 2.0 * std::norm(a[k]) / (static_cast<double>(kSize) * kSize);
    }
    return pieces ? total / static_cast<double>(pieces) : 0.0;
}

/// Mean frequency of a clean tone in x[first, first + count), from the
/// times of its rising zero crossings (interpolated between samples).
inline double ZeroCrossingHz(const std::vector<double>& x, std::size_t first, std::size_t count) {
    double firstTime = -1.0, lastTime = -1.0;
    int crossings = 0;
    for (std::size_t n = first + 1; n < first + count; ++n) {
        if (x[n - 1] < 0.0 && x[n] >= 0.0) {
            const double t = static_cast<double>(n - 1) + x[n - 1] / (x[n - 1] - x[n]);
            if (firstTime < 0.0) firstTime = t;
            lastTime = t;
            ++crossings;
        }
    }
    return crossings < 2 ? 0.0 : (crossings - 1) * kRate / (lastTime - firstTime);
}

}  // namespace morvane::channeltest
