#include "sitor/SitorMixer.h"

#include <numbers>

namespace morvane {

SitorMixer::SitorMixer(double sampleRate, double toneHz, int decimation)
    : m_decimation(decimation < 1 ? 1 : decimation),
      m_step(std::polar(1.0, -2.0 * std::numbers::pi * toneHz / sampleRate)) {}

}  // namespace morvane
