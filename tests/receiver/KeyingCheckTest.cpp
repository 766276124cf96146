// The checks that keep a steady tone, its harmonics and noise from being
// taken for a keyed pair, on sub-block streams made directly (4800 a second).
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

#include "receiver/KeyingCheck.h"

namespace morvane {
namespace {

constexpr double kSubRate = 4800.0;
constexpr std::size_t kLength = 4800 * 4;

using Stream = std::vector<std::complex<double>>;

// A tone `hz` away from the mixer, keyed on and off at `baud` (0: steady),
// starting on when `on` is set.
Stream Tone(double hz, double baud, bool on) {
    Stream s(kLength);
    for (std::size_t i = 0; i < kLength; ++i) {
        const auto bit = baud > 0.0 ? static_cast<long>(static_cast<double>(i) * baud / kSubRate) : 0;
        const bool keyed = (bit % 2 == 0) == on;
        s[i] = keyed ? std::polar(1.0, 2.0 * std::numbers::pi * hz * static_cast<double>(i) / kSubRate) : 0.0;
    }
    return s;
}

Stream Noise(unsigned seed, double deviation) {
    std::mt19937 random(seed);
    std::normal_distribution<double> normal(0.0, deviation);
    Stream s(kLength);
    for (auto& x : s) x = {normal(random), normal(random)};
    return s;
}

Stream Plus(Stream a, const Stream& b) {
    for (std::size_t i = 0; i < a.size(); ++i) a[i] += b[i];
    return a;
}

TEST(KeyingCheck, HeldAtTonesTellsSoundAtTheTonesFromSoundBesideThem) {
    const double bit = kSubRate / 100.0;
    const struct {
        const char* name;
        Stream t1, t2;
        double least, most;
    } cases[] = {
        {"white noise", Noise(1, 1.0), Noise(2, 1.0), 0.8, 1.25},
        {"keyed pair", Tone(0.0, 100.0, true), Tone(0.0, 100.0, false), 10.0, 1e9},
        {"keyed pair in noise", Plus(Tone(0.0, 100.0, true), Noise(3, 1.0)), Plus(Tone(0.0, 100.0, false), Noise(4, 1.0)),
         2.0, 1e9},
        // One steady tone half-way between tones 500 Hz apart.
        {"steady tone between", Tone(250.0, 0.0, true), Tone(-250.0, 0.0, true), 0.0, 0.05},
        {"carrier 400 Hz beside", Tone(400.0, 0.0, true), Tone(230.0, 0.0, true), 0.0, 0.05},
        {"silence", Stream(kLength), Stream(kLength), 0.0, 0.0},
    };
    for (const auto& c : cases) {
        const double held = HeldAtTones(c.t1, c.t2, bit);
        EXPECT_GE(held, c.least) << c.name;
        EXPECT_LE(held, c.most) << c.name;
    }
}

TEST(KeyingCheck, KeyingSpreadIsHighOnlyForAlternatingTones) {
    const std::size_t bit = 48;
    EXPECT_GT(KeyingSpread(Tone(0.0, 100.0, true), Tone(0.0, 100.0, false), bit), 0.7);
    EXPECT_LT(KeyingSpread(Tone(250.0, 0.0, true), Tone(-250.0, 0.0, true), bit), 0.1);
    // Too short a stretch says nothing.
    const Stream shortStretch(bit, 1.0);
    EXPECT_EQ(KeyingSpread(shortStretch, shortStretch, bit), 0.0);
}

}  // namespace
}  // namespace morvane
