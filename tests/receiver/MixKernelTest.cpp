#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <numbers>
#include <random>
#include <vector>

#include "receiver/MixKernel.h"
#include "receiver/ToneMixer.h"

namespace morvane {
namespace {

// The vector kernel gives the plain loop's sums bit for bit, for every
// length (none, shorter than a register, odd, long) and for values of every
// size, tiny and huge ones mixed.
TEST(MixKernel, VectorSumsAreThePlainLoopsBitForBit) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> unit(-1.0F, 1.0F);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (std::size_t n : {0U, 1U, 3U, 10U, 20U, 37U, 200U}) {
        for (int trial = 0; trial < 20; ++trial) {
            std::vector<float> x(n), table(4 * n);
            for (float& v : x) v = std::ldexp(unit(random), exponent(random));
            for (float& v : table) v = std::ldexp(unit(random), exponent(random));
            const MixSums plain = MixBlockPlain(x.data(), table.data(), n), fast = MixBlock(x.data(), table.data(), n);
            EXPECT_EQ(std::memcmp(plain.data(), fast.data(), sizeof plain), 0) << "n " << n << " trial " << trial;
        }
    }
}

// Sub-block values of a cosine of amplitude 0.8 as the mixer tuned to it
// sees it: half the amplitude, its phase standing still, also across a
// change of frequency that the tone follows without a phase jump.
TEST(ToneMixer, ATuneToneStandsStillAtHalfItsAmplitude) {
    struct Case {
        double rate, hz, newHz;
        int decimation;
    };
    const Case cases[] = {{48000.0, 1500.0, 1530.0, 20}, {48000.0, 2295.0, 2250.0, 10}, {44100.0, 1000.0, 1012.5, 18},
                          {8000.0, 700.0, 720.0, 8}};
    for (const Case& c : cases) {
        ToneMixer mixer(c.rate, c.hz, c.decimation);
        double phase = 0.3, hz = c.hz;
        std::complex<double> first;
        for (int block = 0; block < 400; ++block) {
            if (block == 200) {
                mixer.SetFrequency(c.newHz);
                hz = c.newHz;
            }
            std::vector<float> x(static_cast<std::size_t>(c.decimation)), taps(4 * x.size(), 0.0F);
            for (std::size_t k = 0; k < x.size(); ++k) {
                x[k] = static_cast<float>(0.8 * std::cos(phase));
                phase += 2.0 * std::numbers::pi * hz / c.rate;
            }
            mixer.WriteTaps(taps.data(), 4);
            const MixSums s = MixBlock(x.data(), taps.data(), x.size());
            const std::complex<double> v = mixer.Finish(s[0], s[1]);
            if (block == 0) first = v;
            // the image at twice the tone, summed over one sub-block, is what remains
            const double image = 0.4 / (c.decimation * std::sin(2.0 * std::numbers::pi * hz / c.rate)) + 1e-4;
            EXPECT_NEAR(std::abs(v), 0.4, image) << c.hz << " block " << block;
            EXPECT_NEAR(std::abs(v - first), 0.0, 2.0 * image) << c.hz << " block " << block;
        }
    }
}

}  // namespace
}  // namespace morvane
