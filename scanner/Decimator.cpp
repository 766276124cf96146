#include "scanner/Decimator.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

#include "scanner/FirKernel.h"

namespace morvane {

namespace {
constexpr double kBlackmanWidth = 5.5;  // transition width of a Blackman-windowed sinc, in rate / taps
}

Decimator::Decimator(double sampleRate, int factor, double passHz) : m_rate(sampleRate), m_factor(factor) {
    if (!(sampleRate > 0.0) || factor < 1 || factor > 64) throw std::invalid_argument("decimation factor must be 1 … 64");
    const double out = sampleRate / factor;
    if (!(passHz > 0.0 && passHz < out / 2.0)) throw std::invalid_argument("the pass band must lie below half the new rate");
    if (factor == 1) {
        m_taps = {1.0F};
    } else {
        const double transition = out - 2.0 * passHz;  // from passHz to where sound folds onto it
        auto n = static_cast<std::size_t>(std::ceil(kBlackmanWidth * sampleRate / transition)) | 1u;
        const double cutoff = 0.5 * out / sampleRate;  // cycles per input sample
        const double middle = static_cast<double>(n - 1) / 2.0;
        std::vector<double> taps(n);
        double sum = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            const double x = static_cast<double>(i) - middle;
            const double sinc = x == 0.0 ? 2.0 * cutoff : std::sin(2.0 * std::numbers::pi * cutoff * x) / (std::numbers::pi * x);
            const double u = 2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(n - 1);
            taps[i] = sinc * (0.42 - 0.5 * std::cos(u) + 0.08 * std::cos(2.0 * u));
            sum += taps[i];
        }
        for (double t : taps) m_taps.push_back(static_cast<float>(t / sum));
    }
    m_history.assign(2 * m_taps.size(), 0.0F);
}

void Decimator::Push(const std::int16_t* samples, std::size_t count, std::vector<float>& out) {
    const std::size_t n = m_taps.size();
    for (std::size_t i = 0; i < count; ++i) {
        const float x = static_cast<float>(samples[i] / 32768.0);
        m_history[m_at] = x;
        m_history[m_at + n] = x;
        m_at = m_at + 1 == n ? 0 : m_at + 1;
        if (++m_phase < m_factor) continue;
        m_phase = 0;
        // m_history[m_at … m_at + n) holds the inputs oldest first.
        out.push_back(FirDot(m_taps.data(), m_history.data() + m_at, n));
    }
}

}  // namespace morvane
