#include "receiver/ToneMixer.h"

#include <numbers>

namespace morvane {

ToneMixer::ToneMixer(double sampleRate, double toneHz, int decimation)
    : m_rate(sampleRate), m_hz(toneHz), m_decimation(decimation < 1 ? 1 : decimation) {
    SetFrequency(toneHz);
}

void ToneMixer::SetFrequency(double toneHz) {
    m_hz = toneHz;
    m_step = std::polar(1.0, -2.0 * std::numbers::pi * toneHz / m_rate);
}

}  // namespace morvane
