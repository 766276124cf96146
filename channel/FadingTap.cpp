#include "channel/FadingTap.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace morvane {

namespace {
constexpr double kRate = 48000.0;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kTapRatePerSpread = 32.0;  // tap rate / two-sigma spread
constexpr double kKernelSigmas = 4.0;       // the filter reaches this many sigmas each way
}  // namespace

FadingTap::FadingTap(double spreadHz, std::uint64_t seed) : m_random(seed) {
    if (!std::isfinite(spreadHz) || spreadHz < 0.0 || spreadHz > 100.0)
        throw std::invalid_argument("Doppler spread " + std::to_string(spreadHz) + " Hz is out of range (0 ... 100)");
    if (spreadHz == 0.0) return;
    m_tapRate = kTapRatePerSpread * spreadHz;
    m_step = m_tapRate / kRate;
    // A Gaussian power spectrum of standard deviation s (Hz) comes from a
    // Gaussian impulse response of standard deviation 1 / (2 pi s sqrt 2)
    // in amplitude: |H(f)|^2 = exp(-f^2 / (2 s^2)).
    const double sigmaHz = spreadHz / 2.0;
    const double sigmaTaps = m_tapRate / (kTwoPi * sigmaHz * std::sqrt(2.0));
    const int half = static_cast<int>(std::ceil(kKernelSigmas * sigmaTaps));
    double energy = 0.0;
    for (int k = -half; k <= half; ++k) {
        const double t = k / sigmaTaps;
        m_kernel.push_back(std::exp(-0.5 * t * t));
        energy += m_kernel.back() * m_kernel.back();
    }
    for (double& h : m_kernel) h /= std::sqrt(energy);
    m_noise.resize(m_kernel.size());
    for (auto& w : m_noise) w = {m_random.Next() * std::sqrt(0.5), m_random.Next() * std::sqrt(0.5)};
    m_previous = NextFiltered();
    m_current = NextFiltered();
}

std::complex<double> FadingTap::NextFiltered() {
    // Complex white noise of mean power 1 through the unit-energy filter
    // keeps the mean power at 1.
    m_noise[m_head] = {m_random.Next() * std::sqrt(0.5), m_random.Next() * std::sqrt(0.5)};
    m_head = (m_head + 1) % m_noise.size();
    std::complex<double> sum{0.0, 0.0};
    for (std::size_t k = 0; k < m_kernel.size(); ++k) sum += m_kernel[k] * m_noise[(m_head + k) % m_noise.size()];
    return sum;
}

std::complex<double> FadingTap::Next() {
    if (m_tapRate == 0.0) return {1.0, 0.0};
    const std::complex<double> gain = m_previous + (m_current - m_previous) * m_frac;
    m_frac += m_step;
    if (m_frac >= 1.0) {
        m_frac -= 1.0;
        m_previous = m_current;
        m_current = NextFiltered();
    }
    return gain;
}

}  // namespace morvane
