#include "scanner/BandPower.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <stdexcept>

#include "receiver/Fft.h"

namespace morvane {

BandPower::BandPower(double sampleRate, double lowestHz, double highestHz, double windowSeconds) : m_rate(sampleRate) {
    if (!(sampleRate >= 8000.0 && sampleRate <= 1e7)) throw std::invalid_argument("sample rate must be 8000 … 10000000 per second");
    if (!(lowestHz > 0.0 && lowestHz < highestHz && highestHz < sampleRate / 2.0))
        throw std::invalid_argument("the band must lie between 0 Hz and half the sample rate");
    if (!(windowSeconds >= 1.0)) throw std::invalid_argument("the window must hold a second at least");
    m_size = 1;
    while (static_cast<double>(m_size) < sampleRate * 0.0427) m_size <<= 1;
    m_binHz = sampleRate / static_cast<double>(m_size);
    // One bin either side of the band, for the neighbours of its edge bins.
    m_firstBin = std::max<std::size_t>(1, static_cast<std::size_t>(std::floor(lowestHz / m_binHz)) - 1);
    const std::size_t last = std::min(m_size / 2 - 1, static_cast<std::size_t>(std::ceil(highestHz / m_binHz)) + 1);
    m_bins = last + 1 - m_firstBin;
    m_maxFrames = static_cast<std::size_t>(windowSeconds / FrameSeconds());
    m_window.resize(m_size);
    for (std::size_t i = 0; i < m_size; ++i)
        m_window[i] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(m_size));
    m_pending.reserve(m_size);
}

double BandPower::FrameSeconds() const { return static_cast<double>(m_size / 2) / m_rate; }

std::int64_t BandPower::FrameStart(std::size_t i) const {
    const std::int64_t number = m_added - static_cast<std::int64_t>(m_frames.size()) + static_cast<std::int64_t>(i);
    return number * static_cast<std::int64_t>(m_size / 2);
}

void BandPower::Push(const float* samples, std::size_t count) {
    for (std::size_t i = 0; i < count;) {
        const std::size_t n = std::min(count - i, m_size - m_pending.size());
        m_pending.insert(m_pending.end(), samples + i, samples + i + n);
        i += n;
        if (m_pending.size() < m_size) break;
        AddFrame();
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(m_size / 2));
    }
}

void BandPower::AddFrame() {
    std::vector<std::complex<double>> data(m_size);
    for (std::size_t i = 0; i < m_size; ++i) data[i] = m_pending[i] * m_window[i];
    TransformInPlace(data);
    std::vector<float> power(m_bins);
    for (std::size_t k = 0; k < m_bins; ++k) power[k] = static_cast<float>(std::norm(data[m_firstBin + k]));
    ++m_added;
    if (m_frames.size() >= m_maxFrames) m_frames.pop_front();
    m_frames.push_back(std::move(power));
}

}  // namespace morvane
