#include <gtest/gtest.h>

#include <vector>

#include "capture/BlockHandling.h"

using namespace morvane;

TEST(BlockHandling, FloorPowerOfTwo) {
    const struct {
        std::int32_t x, y;
    } cases[] = {{-5, 64},           {0, 64},           {127, 64},           {128, 128},    {129, 128},
                 {255, 128},         {256, 256},        {96000, 65536},      {65536, 65536}, {1048575, 524288},
                 {1048576, 1048576}, {5000000, 5000000}, {2147483647, 2147483647}};
    for (const auto& c : cases) EXPECT_EQ(FloorPowerOfTwo(c.x), c.y) << c.x;
}

TEST(BlockHandling, NormalizePeakScalesByTheWholeGain) {
    const struct {
        std::int16_t peak, after;
    } cases[] = {{12500, 25000}, {12501, 12501}, {300, 24900}, {-300, -24900}, {1, 25000}, {-1, -25000},
                 {25000, 25000}, {25001, 25001}, {0, 0},       {-32768, -32768}, {32767, 32767}};
    for (const auto& c : cases) {
        std::vector<std::int16_t> block{0, c.peak, static_cast<std::int16_t>(c.peak / 2)};
        NormalizePeak(block.data(), 6);
        EXPECT_EQ(block[0], 0) << c.peak;
        EXPECT_EQ(block[1], c.after) << c.peak;
        // Every sample gets the same gain, truncated from 25 000 div peak.
        const std::int32_t gain = c.peak == 0 || std::abs(c.peak) > 25000 ? 1 : 25000 / std::abs(c.peak);
        EXPECT_EQ(block[2], static_cast<std::int16_t>(c.peak / 2 * gain)) << c.peak;
    }
}

TEST(BlockHandling, NormalizePeakReadsOnlyWholeSamples) {
    // The odd last byte is not a sample: its neighbour decides nothing.
    std::vector<std::int16_t> block{100, -50, 30000};
    NormalizePeak(block.data(), 5);
    EXPECT_EQ(block, (std::vector<std::int16_t>{25000, -12500, 30000}));
    NormalizePeak(block.data(), 0);
    NormalizePeak(block.data(), -6);
    NormalizePeak(nullptr, 6);
    EXPECT_EQ(block, (std::vector<std::int16_t>{25000, -12500, 30000}));
}
