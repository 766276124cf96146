#pragma once
#include <complex>
#include <cstdint>
#include <vector>

#include "synth/GaussianNoise.h"

namespace morvane {

/// One path's gain of the Watterson model at 48 kHz: a complex Gaussian
/// process of mean power 1 whose power spectrum is a Gaussian around 0 Hz with
/// a two-sigma width of `spreadHz` (so |gain| is Rayleigh distributed).
/// Complex white noise at a low rate (32 x the spread) goes through a
/// Gaussian filter and is interpolated linearly to 48 kHz. A spread of 0
/// gives the steady gain 1. The same seed gives the same gains.
class FadingTap {
public:
    /// spreadHz: 0 ... 100 Hz (two sigma of the Doppler spectrum).
    /// Throws std::invalid_argument outside that range.
    FadingTap(double spreadHz, std::uint64_t seed);

    /// The gain for the next 48 kHz sample.
    std::complex<double> Next();

    /// The rate of the gain sequence before interpolation, in Hz (0 when steady).
    double TapRate() const { return m_tapRate; }

private:
    std::complex<double> NextFiltered();

    double m_tapRate = 0.0;
    double m_step = 0.0;   // tap samples per 48 kHz sample
    double m_frac = 0.0;   // position between m_previous and m_current
    std::vector<double> m_kernel;              // Gaussian filter, sum of squares 1
    std::vector<std::complex<double>> m_noise; // ring of the latest white samples
    std::size_t m_head = 0;
    std::complex<double> m_previous{1.0, 0.0};
    std::complex<double> m_current{1.0, 0.0};
    GaussianNoise m_random;
};

}  // namespace morvane
