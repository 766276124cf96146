#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "capture/BlockHandling.h"
#include "dsp/FskDemodulator.h"

using namespace morvane;

namespace {

std::vector<std::int16_t> Tone(double hz, int count, double amplitude, int phaseSamples = 0) {
    std::vector<std::int16_t> s(count);
    for (int i = 0; i < count; ++i)
        s[i] = static_cast<std::int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * (i + phaseSamples) / 48000.0)));
    return s;
}

}  // namespace

TEST(Demodulator, WorkedExampleWithTheDefaults) {
    // A rising crossing at index 10: sample 10 negative, 11 non-negative.
    std::vector<std::int16_t> s = Tone(1500, 32768, 20000, 22);  // 22 + 10 = 32: one period later
    s[10] = -5;
    s[11] = 3;
    for (int i = 0; i < 10; ++i) s[i] = 100;  // no earlier crossing
    std::vector<std::int32_t> levels;
    EXPECT_EQ(Demodulate({}, kCaptureFormat, s.data(), 65536, levels), 65140);
    EXPECT_EQ(levels.size(), 407u);
    for (std::int32_t v : levels) {
        EXPECT_GE(v, 240);
        EXPECT_LE(v, 253);
    }
}

TEST(Demodulator, FastKernelMatchesThePlainArithmetic) {
    std::vector<std::int16_t> s(48000);
    std::uint32_t r = 12345;
    for (std::size_t i = 0; i < s.size(); ++i) {
        r = r * 1664525u + 1013904223u;
        s[i] = static_cast<std::int16_t>(10000 * std::sin(i * 0.2) + static_cast<std::int16_t>(r >> 16) / 8);
    }
    for (float tone1 : {1500.0f, 0.0f, -700.0f, 1234.5f}) {
        std::vector<std::int32_t> a, b;
        const DemodSettings ds{tone1, 2000.0f, 50.0f};
        EXPECT_EQ(Demodulate(ds, kCaptureFormat, s.data(), 95999, a),
                  DemodulateReference(ds, kCaptureFormat, s.data(), 95999, b));
        EXPECT_EQ(a, b);
    }
}

TEST(Demodulator, ShortSilentAndEqualToneInputs) {
    std::vector<std::int32_t> levels;
    std::vector<std::int16_t> quiet(1000, 255);
    quiet[0] = -255;
    EXPECT_EQ(Demodulate({}, kCaptureFormat, quiet.data(), 2 * 239, levels), 0);
    EXPECT_TRUE(levels.empty());
    Demodulate({}, kCaptureFormat, quiet.data(), 2000, levels);
    ASSERT_FALSE(levels.empty());
    for (std::int32_t v : levels) EXPECT_EQ(v, 128);
    levels.clear();
    auto tone = Tone(1500, 4000, 20000);
    Demodulate({1800.0f, 1800.0f, 50.0f}, kCaptureFormat, tone.data(), 8000, levels);
    for (std::int32_t v : levels) EXPECT_EQ(v, 128);
    EXPECT_EQ(Demodulate({}, kCaptureFormat, tone.data(), 0, levels), 0);
    EXPECT_EQ(Demodulate({}, kCaptureFormat, tone.data(), -8, levels), 0);
}

TEST(BlockHandling, FloorPowerOfTwoAndNormalizePeak) {
    const struct {
        std::int32_t x, y;
    } sizes[] = {{-5, 64}, {0, 64}, {127, 64}, {128, 128}, {96000, 65536}, {1048575, 524288}, {1048576, 1048576},
                 {5000000, 5000000}};
    for (const auto& c : sizes) EXPECT_EQ(FloorPowerOfTwo(c.x), c.y) << c.x;

    const struct {
        std::int16_t peak, after;
    } peaks[] = {{12500, 25000}, {12501, 12501}, {300, 24900}, {25000, 25000}, {25001, 25001}, {0, 0},
                 {-32768, -32768}};
    for (const auto& c : peaks) {
        std::vector<std::int16_t> block{0, c.peak, static_cast<std::int16_t>(c.peak / 2)};
        NormalizePeak(block.data(), 6);
        EXPECT_EQ(block[1], c.after) << c.peak;
    }
}
