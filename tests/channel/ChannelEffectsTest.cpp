// What the channel does besides fading: noise at the asked SNR in 3 kHz,
// frequency offset and drift, carriers and mixed recordings at their levels,
// the same sound for the same seed, and its errors.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <stdexcept>
#include <vector>

#include "ChannelMeasures.h"
#include "channel/AnalyticSignal.h"
#include "channel/HfChannel.h"

using namespace morvane;
using namespace morvane::channeltest;

namespace {

double Db(double ratio) { return 10.0 * std::log10(ratio); }

}  // namespace

TEST(AnalyticSignal, KeepsPositiveFrequenciesOnly) {
    for (const double hz : {100.0, 300.0, 1000.0, 1500.0, 2975.0, 10000.0, 20000.0}) {
        AnalyticSignal analytic;
        std::vector<std::complex<double>> a;
        for (double x : Tone(hz, 1.0, 48000)) a.push_back(analytic.Next(x));
        std::complex<double> positive{0.0, 0.0}, negative{0.0, 0.0};
        for (std::size_t n = 24000; n < a.size(); ++n) {
            positive += a[n] * std::polar(1.0, -kTwoPi * hz * static_cast<double>(n) / kRate);
            negative += a[n] * std::polar(1.0, kTwoPi * hz * static_cast<double>(n) / kRate);
        }
        EXPECT_NEAR(std::abs(positive) / 24000.0, 1.0, 1e-3) << hz;  // full amplitude
        EXPECT_LT(Db(std::norm(negative) / std::norm(positive)), -40.0) << hz;
    }
}

namespace {
class NoiseLevel : public ::testing::TestWithParam<double> {};
}  // namespace

// A tone of known power through an unfaded channel; the noise is what the
// output holds beyond the tone, measured in two 3 kHz bands of its periodogram.
TEST_P(NoiseLevel, SignalOverNoiseIn3kHzIsTheSetting) {
    const std::vector<double> x = Tone(1500.0, 1000.0, 65536 * 4);
    ChannelSettings settings;
    settings.snrDb = GetParam();
    settings.seed = 9;
    const std::vector<double> y = SimulateChannel(x, settings);
    ASSERT_EQ(y.size(), x.size());
    std::vector<double> noise(y.size());
    for (std::size_t n = 0; n < y.size(); ++n) noise[n] = y[n] - x[n];
    const double signalPower = MeanPower(x);
    for (const double low : {300.0, 5000.0}) {
        const double inBand = BandPower(noise, low, low + 3000.0);
        EXPECT_NEAR(Db(signalPower / inBand), GetParam(), 0.25) << "band from " << low << " Hz";
    }
}

INSTANTIATE_TEST_SUITE_P(Snrs, NoiseLevel, ::testing::Values(20.0, 10.0, 3.0, 0.0, -6.0, -10.0));

TEST(NoiseLevel, SilenceAroundTheSignalHoldsNoiseAtTheSameLevel) {
    const std::vector<double> x = Tone(1500.0, 1000.0, 48000);
    ChannelSettings settings;
    settings.snrDb = 0.0;
    settings.silenceSeconds = 1.0;
    const std::vector<double> y = SimulateChannel(x, settings);
    ASSERT_EQ(y.size(), 3u * 48000u);
    // The leading and trailing seconds are noise alone, at the level the
    // signal's power sets (0 dB in 3 kHz: total noise power 8 x the signal's).
    for (const std::size_t first : {std::size_t{0}, std::size_t{96000}}) {
        double power = 0.0;
        for (std::size_t n = first; n < first + 48000; ++n) power += y[n] * y[n];
        EXPECT_NEAR(Db(power / 48000.0 / (8.0 * MeanPower(x))), 0.0, 0.1);
        EXPECT_LT(PowerAt(y, 1500.0, first, 48000), 0.01 * MeanPower(x));
    }
    EXPECT_NEAR(Db(PowerAt(y, 1500.0, 48000, 48000) / MeanPower(x)), 0.0, 0.2);
}

namespace {
struct FrequencyCase {
    double offsetHz;
    double driftHzPerMinute;
};
class FrequencyShift : public ::testing::TestWithParam<FrequencyCase> {};
}  // namespace

// A 1000 Hz tone for 60 s: its frequency in 2-second windows follows
// 1000 + offset + drift x minutes since the start.
TEST_P(FrequencyShift, ToneMovesByOffsetAndDrift) {
    const std::vector<double> x = Tone(1000.0, 1.0, 48000 * 60);
    ChannelSettings settings;
    settings.offsetHz = GetParam().offsetHz;
    settings.driftHzPerMinute = GetParam().driftHzPerMinute;
    const std::vector<double> y = SimulateChannel(x, settings);
    for (const double centre : {5.0, 30.0, 55.0}) {
        const auto first = static_cast<std::size_t>((centre - 1.0) * kRate);
        const double expected = 1000.0 + GetParam().offsetHz + GetParam().driftHzPerMinute * centre / 60.0;
        EXPECT_NEAR(ZeroCrossingHz(y, first, 96000), expected, 0.05) << "at " << centre << " s";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FrequencyShift,
                         ::testing::Values(FrequencyCase{37.0, 0.0}, FrequencyCase{-120.0, 0.0}, FrequencyCase{0.0, 20.0},
                                           FrequencyCase{37.0, 20.0}, FrequencyCase{0.0, -300.0},
                                           FrequencyCase{-500.0, 600.0}));

namespace {
struct InterfererCase {
    const char* what;
    ChannelSettings settings;
    double hz;     // where the interferer is heard
    double db;     // its power there relative to the signal's
};

std::vector<InterfererCase> InterfererCases() {
    ChannelSettings carrier;
    carrier.carriers = {{2000.0, 15.0}};
    ChannelSettings two;
    two.carriers = {{700.0, -10.0}, {2600.0, 3.0}};
    ChannelSettings mixed;
    mixed.mixes = {{Tone(1000.0, 5.0, 96000), 6.0, 400.0}};
    ChannelSettings mixedDown;
    mixedDown.mixes = {{Tone(2500.0, 0.1, 96000), -3.0, -600.0}};
    return {{"carrier 15 dB up", carrier, 2000.0, 15.0},
            {"second of two carriers", two, 2600.0, 3.0},
            {"first of two carriers", two, 700.0, -10.0},
            {"mix shifted up", mixed, 1400.0, 6.0},
            {"mix shifted down", mixedDown, 1900.0, -3.0}};
}
}  // namespace

TEST(Interferers, HeardAtTheirFrequencyAndLevel) {
    const std::vector<double> x = Tone(1500.0, 100.0, 96000);
    for (const InterfererCase& c : InterfererCases()) {
        const std::vector<double> y = SimulateChannel(x, c.settings);
        EXPECT_NEAR(Db(PowerAt(y, c.hz, 48000, 48000) / MeanPower(x)), c.db, 0.1) << c.what;
        EXPECT_NEAR(Db(PowerAt(y, 1500.0, 48000, 48000) / MeanPower(x)), 0.0, 0.05) << c.what;  // the signal untouched
    }
}

TEST(Determinism, SameSeedSameSoundOtherSeedOtherSound) {
    std::vector<std::int16_t> x(48000 * 3);
    for (std::size_t n = 0; n < x.size(); ++n)
        x[n] = static_cast<std::int16_t>(std::lround(16000.0 * std::sin(kTwoPi * (n / 960 % 2 ? 1500.0 : 1670.0) * n / kRate)));
    ChannelSettings settings;
    settings.profile = PresetProfile("flutter");
    settings.offsetHz = 12.5;
    settings.carriers = {{1900.0, -6.0}};
    settings.snrDb = 3.0;
    settings.seed = 42;
    const auto first = ApplyChannel(x, settings);
    EXPECT_EQ(ApplyChannel(x, settings), first);
    settings.seed = 43;
    const auto other = ApplyChannel(x, settings);
    ASSERT_EQ(other.size(), first.size());
    std::size_t differ = 0;
    for (std::size_t n = 0; n < first.size(); ++n) differ += first[n] != other[n];
    EXPECT_GT(differ, first.size() * 9 / 10);
}

TEST(ApplyChannel, ScalesToTheOutputLevelAndPassesAnUnfadedSignal) {
    std::vector<std::int16_t> x(48000);
    for (std::size_t n = 0; n < x.size(); ++n) x[n] = static_cast<std::int16_t>(std::lround(16000.0 * std::sin(kTwoPi * 1500.0 * n / kRate)));
    const auto y = ApplyChannel(x, ChannelSettings{});
    ASSERT_EQ(y.size(), x.size());
    // Without fading, offset or noise the sound is only scaled (RMS 4000).
    for (std::size_t n = 0; n < x.size(); ++n) ASSERT_NEAR(y[n], x[n] * 4000.0 / (16000.0 / std::sqrt(2.0)), 1.0) << n;
}

TEST(ChannelSettings, OutOfRangeIsRefused) {
    const std::vector<double> x = Tone(1500.0, 1.0, 1000);
    const auto refused = [&](auto change) {
        ChannelSettings s;
        change(s);
        EXPECT_THROW(SimulateChannel(x, s), std::invalid_argument);
    };
    refused([](ChannelSettings& s) { s.profile.paths = 0; });
    refused([](ChannelSettings& s) { s.profile.paths = 5; });
    refused([](ChannelSettings& s) { s.profile.delayMs = -1.0; });
    refused([](ChannelSettings& s) { s.profile.dopplerHz = 101.0; });
    refused([](ChannelSettings& s) { s.offsetHz = std::nan(""); });
    refused([](ChannelSettings& s) { s.driftHzPerMinute = 1e9; });
    refused([](ChannelSettings& s) { s.carriers = {{0.0, 0.0}}; });
    refused([](ChannelSettings& s) { s.carriers = {{24000.0, 0.0}}; });
    refused([](ChannelSettings& s) { s.mixes = {{{}, 0.0, 0.0}}; });  // a mix without power
    refused([](ChannelSettings& s) { s.snrDb = std::numeric_limits<double>::infinity(); });
    refused([](ChannelSettings& s) { s.silenceSeconds = 61.0; });
    EXPECT_THROW(PresetProfile("bad"), std::invalid_argument);
    // Silence has no power to set noise by; without noise it passes.
    ChannelSettings noisy;
    noisy.snrDb = 0.0;
    EXPECT_THROW(SimulateChannel(std::vector<double>(100, 0.0), noisy), std::invalid_argument);
    EXPECT_EQ(SimulateChannel(std::vector<double>(100, 0.0), ChannelSettings{}), std::vector<double>(100, 0.0));
}
