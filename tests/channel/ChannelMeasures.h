#pragma once
// Measurements the channel tests make on sound: tone power by Goertzel,
// frequency by interpolated zero crossings, a small DFT.
#include <cmath>
#include <complex>
#include <cstddef>
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

/// Power of x[first, first + count) in lowHz ... highHz: the periodogram
/// (1 / count Hz bins) summed over the band, both signs of frequency.
inline double BandPower(const std::vector<double>& x, double lowHz, double highHz, std::size_t first, std::size_t count) {
    const double binHz = kRate / static_cast<double>(count);
    double total = 0.0;
    for (auto k = static_cast<std::size_t>(std::ceil(lowHz / binHz)); static_cast<double>(k) * binHz < highHz; ++k) {
        // Goertzel for bin k.
        const double w = kTwoPi * static_cast<double>(k) / static_cast<double>(count);
        const double c = 2.0 * std::cos(w);
        double s1 = 0.0, s2 = 0.0;
        for (std::size_t n = 0; n < count; ++n) {
            const double s0 = x[first + n] + c * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        const double magnitude2 = s1 * s1 + s2 * s2 - c * s1 * s2;
        total += 2.0 * magnitude2 / (static_cast<double>(count) * static_cast<double>(count));
    }
    return total;
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
