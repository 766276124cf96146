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

std::complex<float> ToneMixer::Tap(int k) const {
    const std::complex<double> t = std::polar(1.0 / m_decimation, -2.0 * std::numbers::pi * m_hz * k / m_rate);
    return {static_cast<float>(t.real()), static_cast<float>(t.imag())};
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
