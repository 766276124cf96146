#include "receiver/ToneAtc.h"

#include <algorithm>
#include <cmath>

namespace morvane {

namespace {
void Follow(double& value, double toward, double rate) { value += (toward - value) * rate; }
}  // namespace

ToneAtc::ToneAtc(double bitLength, double evenRatio) : m_evenRatio(std::max(1.0, evenRatio)) {
    const double bit = std::max(1.0, bitLength);
    m_attack = 1.0 / (0.5 * bit);
    m_decay = 1.0 / (8.0 * bit);
    m_floorRate = 1.0 / (8.0 * bit);
}

void ToneAtc::Start(double envelope1, double floor1, double envelope2, double floor2) {
    m_env1 = envelope1;
    m_floor1 = floor1;
    m_env2 = envelope2;
    m_floor2 = floor2;
}

double ToneAtc::Push(double m1, double m2) {
    // The magnitudes are taken as they are: clamped to the envelope and floor
    // they lost what a bit deep in noise still tells.
    const double a = std::max(m_env1 - m_floor1, 0.0), b = std::max(m_env2 - m_floor2, 0.0);
    const double scale = 0.5 * (a * a + b * b), mean = 0.5 * (a + b);
    const double weighed = scale > 0.0 ? ((m1 - m_floor1) * a - (m2 - m_floor2) * b - 0.5 * (a * a - b * b)) / scale : 0.0;
    const double plain = mean > 0.0 ? (m1 - m2) / mean : 0.0;
    // The envelopes follow noise as well, and a tone that is merely not keyed
    // for a few bits sinks as if it had faded: weighing by them costs more
    // than it saves until one tone stands clearly lower. Tones within
    // m_evenRatio of each other lean toward the plain difference, in
    // proportion.
    const double ratio = std::max(a, b) / std::max(std::min(a, b), 1e-30);
    const double w = m_evenRatio > 1.0 ? std::clamp((ratio - 1.0) / (m_evenRatio - 1.0), 0.0, 1.0) : 1.0;
    const double v = w * weighed + (1.0 - w) * plain;
    Follow(m_env1, m1, m1 > m_env1 ? m_attack : m_decay);
    Follow(m_env2, m2, m2 > m_env2 ? m_attack : m_decay);
    if (v > 0.0)
        Follow(m_floor2, m2, m2 < m_floor2 ? m_attack : m_floorRate);
    else
        Follow(m_floor1, m1, m1 < m_floor1 ? m_attack : m_floorRate);
    return v;
}

double ToneAtc::SnrDb() const {
    const double env = 0.5 * (m_env1 + m_env2), floor = 0.5 * (m_floor1 + m_floor2);
    return floor > 0.0 ? 20.0 * std::log10(std::max(env, 1e-30) / floor) : 99.0;
}

}  // namespace morvane
