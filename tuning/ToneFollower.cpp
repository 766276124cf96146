#include "tuning/ToneFollower.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "dsp/SampleFormat.h"

namespace morvane {

namespace {

constexpr double kBandLowHz = 100.0, kBandHighHz = 4000.0;
constexpr double kLeastShiftHz = 85.0, kMostShiftHz = 1000.0;

// The peak's frequency between bins: the parabola through the log powers of bin k and its neighbours.
double Refined(const std::vector<double>& power, std::size_t k, double binHz) {
    if (k == 0 || k + 1 >= power.size()) return static_cast<double>(k) * binHz;
    const double a = std::log(std::max(power[k - 1], 1e-30)), b = std::log(std::max(power[k], 1e-30)),
                 c = std::log(std::max(power[k + 1], 1e-30));
    const double bend = a - 2.0 * b + c;
    const double delta = bend < 0.0 ? std::clamp(0.5 * (a - c) / bend, -0.5, 0.5) : 0.0;
    return (static_cast<double>(k) + delta) * binHz;
}

}  // namespace

void ToneFollower::Add(const float* spectrum, std::int32_t bins) {
    if (bins < 2 || (bins & (bins - 1)) != 0) throw std::invalid_argument("bins must be a power of two of at least 2");
    if (spectrum == nullptr) return;
    const double binHz = static_cast<double>(kSampleRate) / bins;
    if (binHz != m_binHz) Clear();
    m_binHz = binHz;
    const auto count =
        std::min<std::size_t>(static_cast<std::size_t>(kBandHighHz / binHz) + 2, static_cast<std::size_t>(bins / 2));
    std::vector<float>& power = m_power[m_next];
    power.resize(count);
    for (std::size_t k = 0; k < count; ++k) power[k] = spectrum[2 * k] * spectrum[2 * k] + spectrum[2 * k + 1] * spectrum[2 * k + 1];
    m_next = (m_next + 1) % kBlocks;
    m_held = std::min(m_held + 1, kBlocks);
}

void ToneFollower::Clear() {
    m_held = 0;
    m_next = 0;
}

std::optional<ToneFollower::Pair> ToneFollower::Find() const {
    if (m_held < kBlocks) return std::nullopt;
    const std::size_t count = m_power[0].size();
    const auto first = static_cast<std::size_t>(std::ceil(kBandLowHz / m_binHz));
    const std::size_t last = std::min(count, static_cast<std::size_t>(kBandHighHz / m_binHz) + 1);
    if (first + 2 >= last) return std::nullopt;
    std::vector<double> mean(count, 0.0);
    for (const std::vector<float>& power : m_power)
        for (std::size_t k = 0; k < count; ++k) mean[k] += power[k];
    std::vector<double> band(mean.begin() + static_cast<std::ptrdiff_t>(first), mean.begin() + static_cast<std::ptrdiff_t>(last));
    std::nth_element(band.begin(), band.begin() + static_cast<std::ptrdiff_t>(band.size() / 2), band.end());
    const double floor = band[band.size() / 2] * std::pow(10.0, kOverFloorDb / 10.0);
    // The strongest bin, then the strongest a shift away from it.
    std::size_t strong = first;
    for (std::size_t k = first; k < last; ++k)
        if (mean[k] > mean[strong]) strong = k;
    const auto least = static_cast<std::size_t>(std::ceil(kLeastShiftHz / m_binHz));
    const auto most = static_cast<std::size_t>(kMostShiftHz / m_binHz);
    std::optional<std::size_t> partner;
    for (std::size_t k = first; k < last; ++k) {
        const std::size_t apart = k > strong ? k - strong : strong - k;
        if (apart < least || apart > most) continue;
        if (!partner || mean[k] > mean[*partner]) partner = k;
    }
    if (!partner || !(mean[strong] > floor) || !(mean[*partner] > floor)) return std::nullopt;
    // Keyed: the strong tone's share of the pair's power swings from block to block.
    double lowShare = 1.0, highShare = 0.0;
    for (const std::vector<float>& power : m_power) {
        const double a = power[strong], b = power[*partner];
        const double share = a + b > 0.0 ? a / (a + b) : 0.5;
        lowShare = std::min(lowShare, share);
        highShare = std::max(highShare, share);
    }
    if (highShare - lowShare < kLeastSwing) return std::nullopt;
    const double one = Refined(mean, strong, m_binHz), two = Refined(mean, *partner, m_binHz);
    return Pair{std::min(one, two), std::max(one, two)};
}

}  // namespace morvane
