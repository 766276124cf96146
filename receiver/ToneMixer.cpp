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

std::complex<double> ToneMixer::Finish(float re, float im) {
    const std::complex<double> out = m_phasor * std::complex<double>(re, im);
    m_phasor *= m_step;
    m_phasor *= 1.5 - 0.5 * std::norm(m_phasor);  // keeps the oscillator's amplitude at 1
    return out;
}

}  // namespace morvane
