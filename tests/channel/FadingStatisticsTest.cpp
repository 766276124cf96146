// The Watterson paths: each gain a complex Gaussian process of mean power 1
// (Rayleigh envelope) with a Gaussian Doppler spectrum of the two-sigma width
// asked for; the paths lie the asked delay apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <map>
#include <vector>

#include "ChannelMeasures.h"
#include "channel/AnalyticSignal.h"
#include "channel/FadingTap.h"
#include "channel/HfChannel.h"
#include "synth/GaussianNoise.h"

using namespace morvane;
using namespace morvane::channeltest;

namespace {

// The gains of one tap every `step` samples, `count` of them.
std::vector<std::complex<double>> TapSamples(double spreadHz, std::uint64_t seed, std::size_t step, std::size_t count) {
    FadingTap tap(spreadHz, seed);
    std::vector<std::complex<double>> g(count);
    for (std::size_t i = 0; i < count; ++i) {
        g[i] = tap.Next();
        for (std::size_t k = 1; k < step; ++k) tap.Next();
    }
    return g;
}

// Two-sigma width of the power spectrum of g (sampled at rateHz) from the
// second moment of its averaged, Hann-windowed periodogram.
double MeasuredSpread(const std::vector<std::complex<double>>& g, double rateHz) {
    constexpr std::size_t kLength = 256;
    std::vector<double> window(kLength);
    std::vector<std::complex<double>> twiddle(kLength);
    for (std::size_t n = 0; n < kLength; ++n) {
        window[n] = 0.5 - 0.5 * std::cos(kTwoPi * static_cast<double>(n) / kLength);
        twiddle[n] = std::polar(1.0, -kTwoPi * static_cast<double>(n) / kLength);
    }
    std::vector<double> power(kLength, 0.0);
    std::vector<std::complex<double>> segment(kLength);
    for (std::size_t start = 0; start + kLength <= g.size(); start += kLength / 2) {
        for (std::size_t n = 0; n < kLength; ++n) segment[n] = window[n] * g[start + n];
        for (std::size_t k = 0; k < kLength; ++k) {
            std::complex<double> sum{0.0, 0.0};
            for (std::size_t n = 0; n < kLength; ++n) sum += segment[n] * twiddle[(k * n) % kLength];
            power[k] += std::norm(sum);
        }
    }
    double total = 0.0, moment = 0.0;
    for (std::size_t k = 0; k < kLength; ++k) {
        const double hz = (k < kLength / 2 ? static_cast<double>(k) : static_cast<double>(k) - kLength) * rateHz / kLength;
        total += power[k];
        moment += power[k] * hz * hz;
    }
    return 2.0 * std::sqrt(moment / total);
}

struct SpreadCase {
    double spreadHz;
    std::uint64_t seed;
};

class FadingTapStatistics : public ::testing::TestWithParam<SpreadCase> {
protected:
    // Some 1500 fades: sampled at 16 x the spread, 1500 / spread seconds.
    const std::vector<std::complex<double>>& Gains() const {
        static std::map<double, std::vector<std::complex<double>>> made;  // each spread made once
        auto& g = made[GetParam().spreadHz];
        if (g.empty()) {
            const double rate = 16.0 * GetParam().spreadHz;
            const auto step = static_cast<std::size_t>(std::llround(kRate / rate));
            const auto count = static_cast<std::size_t>(1500.0 / GetParam().spreadHz * rate);
            g = TapSamples(GetParam().spreadHz, GetParam().seed, step, count);
        }
        return g;
    }
    double Rate() const { return kRate / std::llround(kRate / (16.0 * GetParam().spreadHz)); }
};

}  // namespace

TEST_P(FadingTapStatistics, MeanPowerIsOne) {
    const auto& g = Gains();
    double power = 0.0;
    for (const auto& v : g) power += std::norm(v);
    EXPECT_NEAR(power / static_cast<double>(g.size()), 1.0, 0.08);
}

TEST_P(FadingTapStatistics, EnvelopeIsRayleigh) {
    const auto& g = Gains();
    std::vector<double> envelope;
    for (const auto& v : g) envelope.push_back(std::abs(v));
    std::sort(envelope.begin(), envelope.end());
    // Kolmogorov-Smirnov distance to the Rayleigh law of mean power 1.
    double distance = 0.0;
    for (std::size_t i = 0; i < envelope.size(); ++i) {
        const double rayleigh = 1.0 - std::exp(-envelope[i] * envelope[i]);
        const double below = static_cast<double>(i) / static_cast<double>(envelope.size());
        const double upTo = static_cast<double>(i + 1) / static_cast<double>(envelope.size());
        distance = std::max({distance, std::abs(rayleigh - below), std::abs(rayleigh - upTo)});
    }
    EXPECT_LT(distance, 0.05);
    // Deep fades happen as often as Rayleigh says: |g|^2 < 0.1 (-10 dB) in 9.5 % of the time.
    const auto deep = std::count_if(envelope.begin(), envelope.end(), [](double r) { return r * r < 0.1; });
    EXPECT_NEAR(static_cast<double>(deep) / static_cast<double>(envelope.size()), 1.0 - std::exp(-0.1), 0.025);
}

TEST_P(FadingTapStatistics, DopplerSpectrumHasTheAskedWidth) {
    const auto& g = Gains();
    EXPECT_NEAR(MeasuredSpread(g, Rate()), GetParam().spreadHz, 0.07 * GetParam().spreadHz);
}

INSTANTIATE_TEST_SUITE_P(Spreads, FadingTapStatistics,
                         ::testing::Values(SpreadCase{1.0, 1}, SpreadCase{2.0, 2}, SpreadCase{10.0, 3}, SpreadCase{30.0, 4}));

TEST(FadingTap, SpreadZeroIsSteadyAndOutOfRangeIsRefused) {
    FadingTap steady(0.0, 7);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(steady.Next(), std::complex<double>(1.0, 0.0));
    EXPECT_THROW(FadingTap(-0.1, 1), std::invalid_argument);
    EXPECT_THROW(FadingTap(100.5, 1), std::invalid_argument);
    EXPECT_THROW(FadingTap(std::nan(""), 1), std::invalid_argument);
}

TEST(FadingTap, SeedsGiveIndependentFading) {
    const auto a = TapSamples(10.0, 1, 480, 20000);  // 200 s, some 2000 fades
    const auto b = TapSamples(10.0, 2, 480, 20000);
    std::complex<double> cross{0.0, 0.0};
    for (std::size_t i = 0; i < a.size(); ++i) cross += a[i] * std::conj(b[i]);
    EXPECT_LT(std::abs(cross) / static_cast<double>(a.size()), 0.1);
    EXPECT_EQ(TapSamples(10.0, 1, 480, 100), TapSamples(10.0, 1, 480, 100));
}

namespace {

struct DelayCase {
    const char* preset;
    std::size_t delaySamples;
};

class PathDelay : public ::testing::TestWithParam<DelayCase> {};

}  // namespace

// Short pulses (a 6 kHz burst of 0.1 ms) every 20 ms through the preset's
// two fading paths: the received envelope, summed over the pulses, shows
// each pulse twice, the asked delay apart, however the paths fade.
TEST_P(PathDelay, PathsLieTheDelayApart) {
    constexpr std::size_t kPeriod = 960, kPulses = 1000;
    std::vector<double> x(kPeriod * kPulses, 0.0);
    for (std::size_t p = 0; p < kPulses; ++p)
        for (int k = -12; k <= 12; ++k) {
            const double t = k / 3.0;
            x[p * kPeriod + 100 + static_cast<std::size_t>(k + 12)] = std::exp(-0.5 * t * t) * std::cos(kTwoPi * 6000.0 * k / kRate);
        }
    ChannelSettings settings;
    settings.profile = PresetProfile(GetParam().preset);
    settings.seed = 5;
    const std::vector<double> y = SimulateChannel(x, settings);
    AnalyticSignal analytic;
    std::vector<double> profile(kPeriod, 0.0);
    for (std::size_t n = 0; n < y.size(); ++n) profile[n % kPeriod] += std::abs(analytic.Next(y[n]));
    // The two highest peaks of the profile, each the highest within 5 samples.
    std::vector<std::size_t> peaks;
    for (std::size_t i = 5; i + 5 < kPeriod; ++i) {
        bool top = true;
        for (std::size_t j = i - 5; j <= i + 5; ++j) top = top && (j == i || profile[j] < profile[i]);
        if (top) peaks.push_back(i);
    }
    std::sort(peaks.begin(), peaks.end(), [&](std::size_t l, std::size_t r) { return profile[l] > profile[r]; });
    ASSERT_GE(peaks.size(), 2u);
    const std::size_t first = std::min(peaks[0], peaks[1]), second = std::max(peaks[0], peaks[1]);
    EXPECT_NEAR(static_cast<double>(second - first), static_cast<double>(GetParam().delaySamples), 1.0);
    EXPECT_NEAR(static_cast<double>(first), 112.0, 10.0);  // the pulse's own place (and allpass delay), undelayed
    // Both paths stand out; nothing else comes near them.
    double elsewhere = 0.0;
    for (std::size_t i = 0; i < kPeriod; ++i)
        if (i + 8 < first || (i > first + 8 && i + 8 < second) || i > second + 8) elsewhere = std::max(elsewhere, profile[i]);
    EXPECT_GT(std::min(profile[first], profile[second]), 3.0 * elsewhere) << first << " " << second;
}

INSTANTIATE_TEST_SUITE_P(Presets, PathDelay,
                         ::testing::Values(DelayCase{"good", 24}, DelayCase{"moderate", 48}, DelayCase{"poor", 96},
                                           DelayCase{"flutter", 24}));

TEST(PathDelay, OverridesOfTheProfileAreUsed) {
    // Steady paths (no spread): the output is exactly the two delayed copies
    // of the input's phase-turned real part, each at 1 / sqrt(2).
    GaussianNoise random(3);
    std::vector<double> x(20000);
    for (double& v : x) v = random.Next();
    ChannelSettings settings;
    settings.profile = {2, 3.0, 0.0};
    const std::vector<double> y = SimulateChannel(x, settings);
    AnalyticSignal analytic;
    std::vector<double> real(x.size());
    for (std::size_t n = 0; n < x.size(); ++n) real[n] = analytic.Next(x[n]).real();
    for (std::size_t n = 144; n < x.size(); ++n) ASSERT_NEAR(y[n], (real[n] + real[n - 144]) / std::sqrt(2.0), 1e-9) << n;
}
