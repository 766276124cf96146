#include "align/ToneFinder.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "dsp/Spectrum.h"
#include "dsp/SampleFormat.h"

namespace morvane {

namespace {
constexpr double kBinHz = static_cast<double>(kSampleRate) / kFftSize;
constexpr double kLowestHz = 100.0;
constexpr double kHighestHz = 4000.0;
constexpr double kMinShiftHz = 85.0 - 2.0 * kBinHz;
constexpr double kMaxShiftHz = 1000.0 + 2.0 * kBinHz;  // a bin either side: peaks fall between bins
constexpr std::int64_t kEveryStretchUntil = 64;   // about five seconds of stretches
constexpr std::int64_t kThenEvery = 8;           // … then one in eight until
constexpr std::int64_t kEveryEighthUntil = 1000;  // about 85 s, …
constexpr std::int64_t kLaterEvery = 128;         // … then one in 128
constexpr double kPeakOverFloor = 8.0;    // a tone stands this far above the band's median power
constexpr double kSecondTone = 0.01;      // the weaker tone holds at least this share of the stronger's power
}  // namespace

ToneFinder::ToneFinder() : m_power(kFftSize, 0.0) {}

void ToneFinder::AddStretch(const std::int16_t* samples) {
    ++m_seen;
    const std::int64_t every = m_seen <= kEveryStretchUntil ? 1 : (m_seen <= kEveryEighthUntil ? kThenEvery : kLaterEvery);
    if (m_seen % every != 0) return;
    std::unique_ptr<float[]> spectrum;
    ComputeSpectrum(samples, spectrum, kFftSize);
    for (std::int32_t k = 0; k < kFftSize / 2; ++k) {
        const double re = spectrum[2 * k], im = spectrum[2 * k + 1];
        m_power[static_cast<std::size_t>(k)] += re * re + im * im;
    }
    ++m_stretches;
}

void ToneFinder::Add(const std::int16_t* samples, std::size_t count) {
    std::size_t at = 0;
    if (!m_carry.empty()) {
        const std::size_t take = std::min(count, static_cast<std::size_t>(kFftSize) - m_carry.size());
        m_carry.insert(m_carry.end(), samples, samples + take);
        at = take;
        if (m_carry.size() < static_cast<std::size_t>(kFftSize)) return;
        AddStretch(m_carry.data());
        m_carry.clear();
    }
    for (; at + kFftSize <= count; at += kFftSize) AddStretch(samples + at);
    m_carry.assign(samples + at, samples + count);
}

ToneEstimate ToneFinder::Find() const {
    ToneEstimate out;
    const auto lo = static_cast<std::size_t>(std::ceil(kLowestHz / kBinHz));
    const auto hi = static_cast<std::size_t>(kHighestHz / kBinHz);
    if (m_stretches == 0) {
        out.reason = "too little sound to find the tones";
        return out;
    }
    std::vector<double> band(m_power.begin() + static_cast<std::ptrdiff_t>(lo),
                             m_power.begin() + static_cast<std::ptrdiff_t>(hi + 1));
    std::vector<double> sorted = band;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2), sorted.end());
    const double floor = sorted[sorted.size() / 2];
    const auto isPeak = [&](std::size_t k) {
        return m_power[k] >= m_power[k - 1] && m_power[k] >= m_power[k + 1] && m_power[k] > kPeakOverFloor * floor;
    };
    std::size_t first = 0;
    for (std::size_t k = lo; k <= hi; ++k)
        if (isPeak(k) && (first == 0 || m_power[k] > m_power[first])) first = k;
    if (first == 0) {
        out.reason = "no tone stands out of the spectrum";
        return out;
    }
    std::size_t second = 0;
    for (std::size_t k = lo; k <= hi; ++k) {
        const double shift = std::fabs(static_cast<double>(k) - static_cast<double>(first)) * kBinHz;
        if (shift < kMinShiftHz || shift > kMaxShiftHz || !isPeak(k)) continue;
        if (second == 0 || m_power[k] > m_power[second]) second = k;
    }
    if (second == 0 || m_power[second] < kSecondTone * m_power[first]) {
        out.reason = "only one tone stands out of the spectrum";
        return out;
    }
    // A parabola through the peak and its neighbours (in decibels) places the tone between bins.
    const auto refine = [&](std::size_t k) {
        const double a = std::log(m_power[k - 1] + 1e-30), b = std::log(m_power[k] + 1e-30),
                     c = std::log(m_power[k + 1] + 1e-30);
        const double d = a - 2.0 * b + c;
        const double delta = d < 0.0 ? 0.5 * (a - c) / d : 0.0;
        return (static_cast<double>(k) + std::clamp(delta, -0.5, 0.5)) * kBinHz;
    };
    const double f1 = refine(first), f2 = refine(second);
    out.found = true;
    out.contrast = floor > 0.0 ? m_power[second] / floor : 1e30;
    out.lowHz = std::min(f1, f2);
    out.highHz = std::max(f1, f2);
    return out;
}

}  // namespace morvane
