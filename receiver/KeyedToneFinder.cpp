#include "receiver/KeyedToneFinder.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "receiver/Fft.h"

namespace morvane {

namespace {
constexpr double kLowestHz = 100.0, kHighestHz = 4000.0;
constexpr double kMinShiftHz = 80.0, kMaxShiftHz = 1010.0;
constexpr double kPeakOverFloor = 2.5;   // a tone's mean power over the band's median
constexpr double kMinKeying = 0.22;      // spread of the pair's power share a keyed pair reaches …
constexpr double kMinFastKeying = 0.12;  // … or, keyed faster than a frame resolves (150 baud), a pair …
constexpr double kFarOverFloor = 1000.0; // … whose weaker tone stands this far above the band's median
constexpr double kFarStronger = 30.0;    // such a pair wins over a keyed pair this much weaker
constexpr std::size_t kMaxPeaks = 16;
constexpr double kGivenToleranceHz = 40.0;

double Mean(const std::vector<double>& v) {
    double s = 0.0;
    for (double x : v) s += x;
    return v.empty() ? 0.0 : s / static_cast<double>(v.size());
}
}  // namespace

KeyedToneFinder::KeyedToneFinder(double sampleRate, double windowSeconds) : m_rate(sampleRate) {
    m_size = 1;
    while (static_cast<double>(m_size) < sampleRate * 0.0427) m_size <<= 1;
    const double binHz = sampleRate / static_cast<double>(m_size);
    m_lowBin = static_cast<std::size_t>(std::ceil(kLowestHz / binHz));
    m_highBin = std::min(m_size / 2 - 2, static_cast<std::size_t>(kHighestHz / binHz));
    m_maxFrames = static_cast<std::size_t>(std::max(1.0, windowSeconds) * sampleRate / static_cast<double>(m_size / 2));
    m_window.resize(m_size);
    for (std::size_t i = 0; i < m_size; ++i)
        m_window[i] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(m_size));
    m_pending.reserve(m_size);
}

void KeyedToneFinder::Add(const float* samples, std::size_t count) {
    while (count > 0) {
        const std::size_t n = std::min(count, m_size - m_pending.size());
        m_pending.insert(m_pending.end(), samples, samples + n);
        samples += n;
        count -= n;
        if (m_pending.size() < m_size) return;
        AddFrame();
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(m_size / 2));
    }
}

void KeyedToneFinder::AddFrame() {
    std::vector<double> windowed(m_size);
    for (std::size_t i = 0; i < m_size; ++i) windowed[i] = m_pending[i] * m_window[i];
    const std::vector<std::complex<double>> data = TransformReal(windowed);
    std::vector<float> power(m_highBin + 2 - m_lowBin);
    for (std::size_t k = m_lowBin; k <= m_highBin + 1; ++k) power[k - m_lowBin] = static_cast<float>(std::norm(data[k]));
    m_frames.push_back(std::move(power));
    if (m_frames.size() > m_maxFrames) m_frames.pop_front();
}

double KeyedToneFinder::Seconds() const {
    return static_cast<double>(m_frames.size() * (m_size / 2)) / m_rate;
}

KeyedPair KeyedToneFinder::Find(std::optional<double> lowHz, std::optional<double> highHz) const {
    KeyedPair out;
    if (m_frames.size() < 8) {
        out.reason = "too little sound to find the tones";
        return out;
    }
    const std::size_t bins = m_frames.front().size();
    std::vector<double> mean(bins, 0.0);
    for (const auto& f : m_frames)
        for (std::size_t k = 0; k < bins; ++k) mean[k] += f[k];
    for (double& m : mean) m /= static_cast<double>(m_frames.size());
    std::vector<double> sorted(mean.begin(), mean.end() - 1);
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2), sorted.end());
    const double floor = std::max(sorted[sorted.size() / 2], 1e-30);
    std::vector<std::size_t> peaks;
    for (std::size_t k = 1; k + 1 < bins; ++k)
        if (mean[k] >= mean[k - 1] && mean[k] > mean[k + 1] && mean[k] > kPeakOverFloor * floor) peaks.push_back(k);
    std::sort(peaks.begin(), peaks.end(), [&](std::size_t a, std::size_t b) { return mean[a] > mean[b]; });
    if (peaks.size() > kMaxPeaks) peaks.resize(kMaxPeaks);
    const double binHz = m_rate / static_cast<double>(m_size);
    const auto hzOf = [&](std::size_t k) {
        const double l = std::log(mean[k - 1] + 1e-30), c = std::log(mean[k] + 1e-30), r = std::log(mean[k + 1] + 1e-30);
        const double d = l - 2.0 * c + r;
        const double delta = d < 0.0 ? std::clamp(0.5 * (l - r) / d, -0.5, 0.5) : 0.0;
        return (static_cast<double>(k + m_lowBin) + delta) * binHz;
    };
    const auto near = [&](std::optional<double> given, double hz) {
        return !given || std::fabs(*given - hz) <= kGivenToleranceHz;
    };
    double best = 0.0, bestFast = 0.0;
    KeyedPair fast;
    for (std::size_t i = 0; i < peaks.size(); ++i) {
        for (std::size_t j = 0; j < peaks.size(); ++j) {
            const std::size_t a = std::min(peaks[i], peaks[j]), b = std::max(peaks[i], peaks[j]);
            if (i >= j) continue;
            const double fa = hzOf(a), fb = hzOf(b), shift = fb - fa;
            if (shift < kMinShiftHz || shift > kMaxShiftHz || !near(lowHz, fa) || !near(highHz, fb)) continue;
            std::vector<double> share;
            share.reserve(m_frames.size());
            for (const auto& f : m_frames) {
                const double x = f[a - 1] + f[a] + f[a + 1], y = f[b - 1] + f[b] + f[b + 1];
                if (x + y > 3.0 * kPeakOverFloor * floor) share.push_back((x - y) / (x + y));
            }
            if (share.size() < 8) continue;
            const double m = Mean(share);
            double var = 0.0;
            for (double s : share) var += (s - m) * (s - m);
            const double keying = std::sqrt(var / static_cast<double>(share.size()));
            const double weaker = std::min(mean[a], mean[b]);
            const double score = weaker * keying;
            if (keying < kMinKeying) {
                if (keying >= kMinFastKeying && weaker >= kFarOverFloor * floor && score > bestFast) {
                    bestFast = score;
                    fast = {true, "", lowHz.value_or(fa), highHz.value_or(fb), keying, weaker / floor};
                }
                continue;
            }
            if (score > best) {
                best = score;
                out = {true, "", lowHz.value_or(fa), highHz.value_or(fb), keying, weaker / floor};
            }
        }
    }
    // A pair far stronger than the one found is the signal, its keying
    // smoothed by the frames; the other was its spectrum's side lines.
    if (fast.found && (!out.found || bestFast > kFarStronger * best)) out = fast;
    if (!out.found)
        out.reason = peaks.empty() ? "no tone stands out of the spectrum" : "no pair of tones is keyed";
    return out;
}

}  // namespace morvane
