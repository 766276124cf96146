#pragma once
#include <complex>

namespace morvane {

/// Mixes one tone down to zero frequency and sums it over sub-blocks of
/// `decimation` samples (a short integrate-and-dump), so a tone is carried on
/// from there as one complex value per sub-block, sample by sample.
class SitorMixer {
public:
    /// sampleRate: samples per second (> 0); toneHz: 0 … sampleRate / 2;
    /// decimation: samples per sub-block (≥ 1).
    SitorMixer(double sampleRate, double toneHz, int decimation);
    /// Adds one sample; true when it completes a sub-block, whose mean is `out`.
    bool Push(double sample, std::complex<double>& out) {
        m_sum += sample * m_phasor;
        m_phasor *= m_step;
        if (++m_count < m_decimation) return false;
        out = m_sum / static_cast<double>(m_decimation);
        m_sum = 0.0;
        m_count = 0;
        m_phasor /= std::abs(m_phasor);  // keeps the oscillator's amplitude at 1
        return true;
    }

private:
    int m_decimation;
    int m_count = 0;
    std::complex<double> m_phasor{1.0, 0.0}, m_step{1.0, 0.0}, m_sum{0.0, 0.0};
};

}  // namespace morvane
