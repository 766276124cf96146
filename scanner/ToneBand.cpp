#include "scanner/ToneBand.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

#include "scanner/FirKernel.h"

namespace morvane {

namespace {
constexpr double kMarginHz = 150.0;      // passed either side of the tones (keying sidebands, tracking)
constexpr double kNarrowShiftHz = 500.0; // shifts up to this go at the lower rate
constexpr double kNarrowRate = 2400.0, kWideRate = 4800.0;
constexpr double kBlackmanWidth = 5.5;
}  // namespace

ToneBand::ToneBand(double sampleRate, double lowHz, double highHz) : m_rate(sampleRate) {
    if (!(lowHz > 0.0 && lowHz < highHz && highHz < sampleRate / 2.0))
        throw std::invalid_argument("the tones must lie between 0 Hz and half the sample rate");
    const double shift = highHz - lowHz;
    m_outRate = shift <= kNarrowShiftHz ? kNarrowRate : kWideRate;
    m_factor = static_cast<int>(std::lround(sampleRate / m_outRate));
    if (m_factor < 1 || std::fabs(m_factor * m_outRate - sampleRate) > 1e-6)
        throw std::invalid_argument("the sample rate must be a whole multiple of the band's rate");
    const double middle = 0.5 * (lowHz + highHz), quarter = m_outRate / 4.0;
    m_moved = middle - quarter;
    // Passed: the tones and the margin; stopped from a quarter of the output rate off the middle.
    const double pass = 0.5 * shift + kMarginHz, stop = quarter;
    auto n = static_cast<std::size_t>(std::ceil(kBlackmanWidth * sampleRate / (stop - pass))) | 1u;
    const double cutoff = 0.5 * (pass + stop) / sampleRate;
    const double centre = static_cast<double>(n - 1) / 2.0;
    std::vector<double> lowPass(n);
    double sum = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double x = static_cast<double>(i) - centre;
        const double sinc = x == 0.0 ? 2.0 * cutoff : std::sin(2.0 * std::numbers::pi * cutoff * x) / (std::numbers::pi * x);
        const double u = 2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(n - 1);
        lowPass[i] = sinc * (0.42 - 0.5 * std::cos(u) + 0.08 * std::cos(2.0 * u));
        sum += lowPass[i];
    }
    // The low-pass turned up to the tones' middle; tap i weighs the input n - 1 - i samples old.
    for (std::size_t i = 0; i < n; ++i) {
        const double age = static_cast<double>(n - 1 - i);
        const std::complex<float> tap(std::polar(lowPass[i] / sum * 2.0, 2.0 * std::numbers::pi * middle * age / sampleRate));
        m_re.push_back(tap.real());
        m_im.push_back(tap.imag());
    }
    m_history.assign(2 * n, 0.0F);
    m_step = std::polar(1.0, -2.0 * std::numbers::pi * m_moved * m_factor / sampleRate);
}

void ToneBand::Push(const float* samples, std::size_t count, std::vector<float>& out) {
    const std::size_t n = m_re.size();
    for (std::size_t i = 0; i < count; ++i) {
        m_history[m_at] = samples[i];
        m_history[m_at + n] = samples[i];
        m_at = m_at + 1 == n ? 0 : m_at + 1;
        if (++m_phase < m_factor) continue;
        m_phase = 0;
        const float* h = m_history.data() + m_at;  // oldest first
        const float re = FirDot(m_re.data(), h, n), im = FirDot(m_im.data(), h, n);
        // The band's middle turns with time in the input: e^{j 2π middle t}; moved down by e^{-j 2π moved t}.
        const std::complex<double> z = std::complex<double>(re, im) * m_turn;
        out.push_back(static_cast<float>(z.real()));
        m_turn *= m_step;
        if (++m_outputs % 1024 == 0) m_turn /= std::abs(m_turn);
    }
}

}  // namespace morvane
