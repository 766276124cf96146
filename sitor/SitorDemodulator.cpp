#include "sitor/SitorDemodulator.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <stdexcept>

namespace morvane::sitor {

namespace {
constexpr double kRate = 48000.0;
constexpr double kMeanSubBlocks = 1000.0;  // the envelopes' slow mean: half a second at 100 baud
}  // namespace

SitorDemodulator::SitorDemodulator(double lowHz, double highHz, double baud)
    : m_low(kRate, lowHz, kDecimation),
      m_high(kRate, highHz, kDecimation),
      m_lowFilter(std::max(1, static_cast<int>(std::lround(kRate / baud / kDecimation)))),
      m_highFilter(std::max(1, static_cast<int>(std::lround(kRate / baud / kDecimation)))),
      m_perBit(static_cast<int>(std::lround(kRate / baud / kDecimation))) {
    if (!(lowHz >= 50.0 && highHz > lowHz && highHz <= kRate / 2))
        throw std::invalid_argument("tones out of range: 50 <= low < high <= 24000 Hz");
    if (!(baud >= 50.0 && baud <= 400.0)) throw std::invalid_argument("baud rate out of range: 50 ... 400");
}

void SitorDemodulator::Push(const std::int16_t* samples, std::size_t count) {
    const std::int64_t window = static_cast<std::int64_t>(kWindowBits) * m_perBit;
    for (std::size_t i = 0; i < count; ++i) {
        std::complex<double> lo, hi;
        const double x = samples[i];
        const bool done = m_low.Push(x, lo);
        m_high.Push(x, hi);
        if (!done) continue;
        const double l = std::abs(m_lowFilter.Push(lo));
        const double h = std::abs(m_highFilter.Push(hi));
        m_meanWeight = std::min(m_meanWeight + 1.0, kMeanSubBlocks);
        m_mean += (l + h - m_mean) / m_meanWeight;
        m_sub.push_back(m_mean > 0.0 ? static_cast<float>((h - l) / m_mean) : 0.0f);
        ++m_subCount;
        if (m_subCount >= static_cast<std::int64_t>(m_windowsDone + 2) * window) TimeWindow();
    }
}

void SitorDemodulator::Finish() {
    const std::int64_t window = static_cast<std::int64_t>(kWindowBits) * m_perBit;
    while (static_cast<std::int64_t>(m_windowsDone) * window < m_subCount) TimeWindow();
}

void SitorDemodulator::TakeBits(std::vector<float>& bits, std::vector<std::int64_t>& samples) {
    bits.insert(bits.end(), m_bits.begin(), m_bits.end());
    samples.insert(samples.end(), m_bitSamples.begin(), m_bitSamples.end());
    m_bits.clear();
    m_bitSamples.clear();
}

std::array<double, 64> SitorDemodulator::PhaseProfile(std::size_t w) const {
    std::array<double, 64> profile{};
    const std::int64_t window = static_cast<std::int64_t>(kWindowBits) * m_perBit;
    const std::int64_t from = std::max(static_cast<std::int64_t>(w) * window, m_subBase);
    const std::int64_t to = std::min(static_cast<std::int64_t>(w + 1) * window, m_subCount);
    for (std::int64_t k = from; k < to; ++k)
        profile[static_cast<std::size_t>(k % m_perBit)] += std::fabs(m_sub[static_cast<std::size_t>(k - m_subBase)]);
    return profile;
}

void SitorDemodulator::TimeWindow() {
    const std::size_t w = m_windowsDone++;
    const std::int64_t window = static_cast<std::int64_t>(kWindowBits) * m_perBit;
    std::array<double, 64> profile = PhaseProfile(w);
    for (std::size_t other : {w - 1, w + 1}) {
        if (other > w + 1) continue;  // before the first window
        const std::array<double, 64> more = PhaseProfile(other);
        for (int p = 0; p < m_perBit; ++p) profile[static_cast<std::size_t>(p)] += more[static_cast<std::size_t>(p)];
    }
    const int phase = static_cast<int>(std::max_element(profile.begin(), profile.begin() + m_perBit) - profile.begin());
    if (m_phase < 0) {
        m_nextBit = static_cast<std::int64_t>(w) * window + phase;
    } else {
        int delta = phase - m_phase;
        if (delta >= m_perBit / 2) delta -= m_perBit;
        if (delta < -m_perBit / 2) delta += m_perBit;
        m_nextBit += delta;
    }
    m_phase = phase;
    const std::int64_t end = std::min(static_cast<std::int64_t>(w + 1) * window, m_subCount);
    const double delay = m_highFilter.Delay();
    for (; m_nextBit < end; m_nextBit += m_perBit) {
        if (m_nextBit < m_subBase) continue;
        m_bits.push_back(m_sub[static_cast<std::size_t>(m_nextBit - m_subBase)]);
        m_bitSamples.push_back(std::llround((static_cast<double>(m_nextBit) - delay + 0.5) * kDecimation));
    }
    // Keep the sub-blocks the next window's timing and bits still reach.
    const std::int64_t keepFrom = static_cast<std::int64_t>(w) * window;
    if (keepFrom > m_subBase) {
        m_sub.erase(m_sub.begin(), m_sub.begin() + (keepFrom - m_subBase));
        m_subBase = keepFrom;
    }
}

}  // namespace morvane::sitor
