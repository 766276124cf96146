#include "receiver/ToneMixer.h"

#include <cmath>
#include <numbers>

namespace morvane {

ToneMixer::ToneMixer(double sampleRate, double toneHz, int decimation)
    : m_rate(sampleRate), m_hz(toneHz), m_decimation(decimation < 1 ? 1 : decimation) {
    SetFrequency(toneHz);
}

void ToneMixer::SetFrequency(double toneHz) {
    m_hz = toneHz;
    m_step = std::polar(1.0, -2.0 * std::numbers::pi * toneHz * m_decimation / m_rate);
    m_changed = true;
}

void ToneMixer::WriteTaps(float* out, std::size_t stride) const {
    const std::complex<double> step = std::polar(1.0, -2.0 * std::numbers::pi * m_hz / m_rate);
    std::complex<double> t(1.0 / m_decimation, 0.0);
    for (int k = 0; k < m_decimation; ++k, out += stride) {
        out[0] = static_cast<float>(t.real());
        out[1] = static_cast<float>(t.imag());
        t *= step;
    }
}

bool ToneMixer::TakeChanged() {
    const bool changed = m_changed;
    m_changed = false;
    return changed;
}

// Worked part by part: a pair written in halves and read back whole stalls
// the processor.
std::complex<double> ToneMixer::Finish(float re, float im) {
    const double pr = m_phasor.real(), pi = m_phasor.imag(), sr = m_step.real(), si = m_step.imag();
    const std::complex<double> out(pr * re - pi * im, pr * im + pi * re);
    const double nr = pr * sr - pi * si, ni = pr * si + pi * sr;
    const double keep = 1.5 - 0.5 * (nr * nr + ni * ni);  // keeps the oscillator's amplitude at 1
    m_phasor = {nr * keep, ni * keep};
    return out;
}

}  // namespace morvane
