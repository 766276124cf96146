#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "raster/BitExtraction.h"
#include "support/CTextSplitter.h"
#include "raster/RasterWalk.h"

using namespace morvane;

namespace {

constexpr std::int32_t kHigh = 200, kLow = 50;

RasterParams Params(std::int32_t count, std::int32_t gridWidth, std::int32_t offset = 0, float slant = 0.0f) {
    RasterParams p;
    p.count = count;
    p.gridWidth = gridWidth;
    p.offset = offset;
    p.slant = slant;
    return p;
}

/// The extraction written out step by step: the row text with a space after
/// every row, cut into tokens, every token cut into cells.
std::string ReferenceExtract(const std::vector<std::int32_t>& levels, const RasterParams& p) {
    std::string rowText;
    WalkRaster(
        static_cast<std::int64_t>(levels.size()), p.count, p.offset, p.slant, std::nullopt,
        [&](std::int64_t, std::int32_t, std::int64_t i) { rowText += levels[static_cast<std::size_t>(i)] >= 129 ? '1' : '0'; },
        [&] { rowText += ' '; });
    std::string out;
    const CTextSplitter rows(rowText, " \n\t\f\r");
    const std::int32_t h = p.gridWidth / 2;
    for (std::int32_t t = 0; t < rows.TokenCount(); ++t) {
        const std::string token = rows.TokenAt(t);
        for (std::size_t start = 0; start < token.size(); start += static_cast<std::size_t>(h)) {
            const std::string cell = token.substr(start, static_cast<std::size_t>(h));
            const auto ones = static_cast<float>(std::count(cell.begin(), cell.end(), '1'));
            const auto zeros = static_cast<float>(std::count(cell.begin(), cell.end(), '0'));
            const float ratio = ones / zeros;
            out += ratio >= 1.5f ? '1' : ratio <= 0.6f ? '0' : ' ';
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace

TEST(BitExtraction, CellDecidesByTheRatioOfOnesToZeros) {
    const struct {
        std::int32_t ones, zeros;
        char bit;
    } cases[] = {
        {8, 4, '1'}, {3, 2, '1'}, {7, 5, ' '}, {5, 7, ' '}, {3, 5, '0'}, {4, 8, '0'},
        {12, 0, '1'}, {0, 12, '0'}, {1, 0, '1'}, {0, 1, '0'}, {1, 1, ' '},
    };
    for (const auto& c : cases) {
        // One row of one cell, its ones first.
        std::vector<std::int32_t> levels(static_cast<std::size_t>(c.ones), kHigh);
        levels.insert(levels.end(), static_cast<std::size_t>(c.zeros), kLow);
        const std::int32_t n = c.ones + c.zeros;
        EXPECT_EQ(ExtractBits(levels, Params(n, 2 * n)), std::string(1, c.bit) + "\r\n") << c.ones << "/" << c.zeros;
        // Where the ones stand inside the cell does not matter.
        std::reverse(levels.begin(), levels.end());
        EXPECT_EQ(ExtractBits(levels, Params(n, 2 * n)), std::string(1, c.bit) + "\r\n") << c.ones << "/" << c.zeros;
    }
}

TEST(BitExtraction, HugeCellsFollowTheFloatRatioNotWholeNumbers) {
    // The float quotient rounds onto the limit, where the exact ratio misses it.
    EXPECT_EQ(CellDecision(12000001, 20000000), '0');
    EXPECT_EQ(CellDecision(25165823, 16777216), '1');
    EXPECT_EQ(CellDecision(9000001, 15000000), ' ');
    EXPECT_EQ(CellDecision(12582911, 8388608), ' ');
}

TEST(BitExtraction, ThresholdIs129OnTheRawLevel) {
    const std::vector<std::int32_t> levels = {128, 129, 3, 253, 0, -5, 1000, 128};
    RasterParams p = Params(8, 2);
    EXPECT_EQ(ExtractBits(levels, p), "01010010\r\n");
    for (const std::int32_t mode : {1, 2, 7}) {
        p.contrastMode = mode;
        EXPECT_EQ(ExtractBits(levels, p), "01010010\r\n");
    }
}

TEST(BitExtraction, RowsAndCellsFollowTheRaster) {
    std::vector<std::int32_t> silence(200, 128);
    std::vector<std::int32_t> ramp(100);
    for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = (i / 10) % 2 == 0 ? kHigh : kLow;
    const struct {
        const char* name;
        const std::vector<std::int32_t>* levels;
        RasterParams params;
        std::string bits;
    } cases[] = {
        {"silence is all zeros", &silence, Params(64, 24), "000000\r\n000000\r\n000000\r\n0\r\n"},
        {"width 25 cuts like 24", &silence, Params(64, 25), "000000\r\n000000\r\n000000\r\n0\r\n"},
        {"alternating tens", &ramp, Params(20, 20), "10\r\n10\r\n10\r\n10\r\n10\r\n"},
        {"partial last row", &ramp, Params(30, 20), "101\r\n010\r\n101\r\n0\r\n"},
        {"partial last cell judged on what is there", &ramp, Params(100, 16), "10 1010 10100\r\n"},
        {"count 0 is one line", &ramp, Params(0, 20), "1010101010\r\n"},
        {"count -3 is one line", &ramp, Params(-3, 200), " \r\n"},
        {"offset skips levels", &ramp, Params(20, 20, 10), "01\r\n01\r\n01\r\n01\r\n0\r\n"},
        {"slant skips between rows", &ramp, Params(10, 20, 0, 10.0f), "1\r\n1\r\n1\r\n1\r\n1\r\n"},
        {"slant -20 repeats the first row until n steps", &ramp, Params(20, 20, 0, -20.0f), "10\r\n10\r\n10\r\n10\r\n10\r\n"},
        {"slant not a number ends after a row", &ramp, Params(20, 20, 0, std::nanf("")), "10\r\n"},
        {"empty stream", &ramp, Params(20, 20, 100), ""},
        {"offset before the stream", &ramp, Params(20, 20, -1), ""},
        {"grid width 1", &ramp, Params(20, 1), ""},
        {"grid width 0", &ramp, Params(20, 0), ""},
        {"grid width negative", &ramp, Params(20, -24), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ExtractBits(*c.levels, c.params), c.bits) << c.name;
    EXPECT_EQ(ExtractBits({}, Params(64, 24)), "");
}

TEST(BitExtraction, GridShiftShowGridAndContrastNeverChangeBits) {
    std::mt19937 random(7);
    std::vector<std::int32_t> levels(5000);
    for (auto& l : levels) l = static_cast<std::int32_t>(random() % 251) + 3;
    RasterParams base = Params(90, 24, 17, 0.25f);
    const std::string bits = ExtractBits(levels, base);
    ASSERT_FALSE(bits.empty());
    for (const std::int32_t v : {-5, 0, 1, 2, 13}) {
        RasterParams p = base;
        p.gridShift = v;
        p.showGrid = v;
        p.contrastMode = v;
        EXPECT_EQ(ExtractBits(levels, p), bits) << v;
    }
}

TEST(BitExtraction, MatchesTheStepByStepExtraction) {
    std::mt19937 random(11);
    for (int trial = 0; trial < 300; ++trial) {
        std::vector<std::int32_t> levels(random() % 700);
        // Runs of the same tone, with noise, as a real stream has.
        std::int32_t level = kHigh;
        for (auto& l : levels) {
            if (random() % 9 == 0) level = level == kHigh ? kLow : kHigh;
            l = random() % 6 == 0 ? static_cast<std::int32_t>(random() % 256) : level;
        }
        const RasterParams p = Params(static_cast<std::int32_t>(random() % 120) - 10,
                                      static_cast<std::int32_t>(random() % 40) + 2,
                                      static_cast<std::int32_t>(random() % 60) - 5,
                                      static_cast<float>(static_cast<int>(random() % 400) - 200) / 37.0f);
        EXPECT_EQ(ExtractBits(levels, p), ReferenceExtract(levels, p))
            << "n " << levels.size() << " count " << p.count << " width " << p.gridWidth << " offset " << p.offset
            << " slant " << p.slant;
    }
}
