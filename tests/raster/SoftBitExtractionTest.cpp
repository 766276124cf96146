#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "raster/BitExtraction.h"
#include "raster/SoftBitExtraction.h"
#include "support/NoisyReadingSupport.h"

using namespace morvane;

namespace {

// A window where one tone has magnitude `a` (tone 1 for a > 0, tone 2 for
// a < 0) and the other `b`, in phase with its neighbours.
SoftWindow Window(float a, float b = 0.0f) {
    SoftWindow w;
    if (a >= 0) {
        w.re1 = Half(static_cast<float>(a));
        w.re2 = Half(static_cast<float>(b));
    } else {
        w.re2 = Half(static_cast<float>(-a));
        w.re1 = Half(static_cast<float>(b));
    }
    return w;
}

// The window with its tone-1 correlation turned by half a period.
SoftWindow Turned(SoftWindow w) {
    w.re1 = -w.re1;
    w.im1 = -w.im1;
    return w;
}

RasterParams Raster(std::int32_t count, std::int32_t gridWidth, std::int32_t offset = 0) {
    RasterParams p;
    p.count = count;
    p.gridWidth = gridWidth;
    p.offset = offset;
    return p;
}

}  // namespace

TEST(SoftBitExtraction, EdgeCasesGiveDefinedResults) {
    const std::vector<SoftWindow> four{Window(5), Window(5), Window(-5), Window(-5)};
    const struct {
        const char* name;
        std::vector<SoftWindow> soft;
        RasterParams params;
        std::string bits;
    } cases[] = {
        {"empty stream", {}, Raster(8, 4), ""},
        {"offset beyond the stream", four, Raster(8, 4, 4), ""},
        {"grid width below 2", four, Raster(8, 1), ""},
        {"two cells of two", four, Raster(8, 4), "10\r\n"},
        {"rows of two", four, Raster(2, 4), "1\r\n0\r\n"},
        // A cell cut by the stream's end is decided from what it holds.
        {"cell at the stream's end", four, Raster(8, 6), "10\r\n"},
        {"partial row at the end", four, Raster(3, 2), "110\r\n0\r\n"},
        // Silence (zeros) counts as a zero, as level 128 does.
        {"silent windows", {SoftWindow{}, SoftWindow{}, Window(3), SoftWindow{}}, Raster(4, 2), "0010\r\n"},
        // One strong window outweighs two weak ones of the other tone.
        {"evidence is summed, not counted", {Window(-1), Window(-1), Window(9)}, Raster(3, 6), "1\r\n"},
        // Opposite phases cancel: the sum is one correlation over the cell,
        // not a sum of energies.
        {"in-phase sum", {Window(5, 2), Turned(Window(5, 2))}, Raster(2, 4), "0\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(ExtractSoftBits(c.soft, c.params), c.bits) << c.name;
}

TEST(SoftBitExtraction, TrimLeavesOutTheCellEdges) {
    // Cells of six windows: strong tone 2 at the edges, tone 1 in the middle.
    std::vector<SoftWindow> soft;
    for (int cell = 0; cell < 2; ++cell)
        for (float a : {-20.0f, 3.0f, 3.0f, 3.0f, 3.0f, -20.0f}) soft.push_back(Window(a));
    EXPECT_EQ(ExtractSoftBits(soft, Raster(12, 12), 0), "00\r\n");
    EXPECT_EQ(ExtractSoftBits(soft, Raster(12, 12), 1), "11\r\n");
    EXPECT_EQ(ExtractSoftBits(soft, Raster(12, 12), 2), "11\r\n");
    // A last cell too short for the trim is read whole.
    soft.resize(14);
    EXPECT_EQ(ExtractSoftBits(soft, Raster(14, 12), 2), "110\r\n");
    EXPECT_THROW(ExtractSoftBits(soft, Raster(14, 12), 3), std::invalid_argument);
    EXPECT_THROW(ExtractSoftBits(soft, Raster(14, 12), -1), std::invalid_argument);
}

TEST(SoftBitExtraction, SameRowsAndCellsAsTheLevelReading) {
    // Where the level reading decides a cell, the soft one decides it alike;
    // the rows are the same, slant and partial rows included.
    std::vector<SoftWindow> soft;
    std::vector<std::int32_t> levels;
    for (int k = 0; k < 1000; ++k) {
        const bool one = (k / 12 + k / 90) % 3 != 1;
        soft.push_back(Window(one ? 7.0f : -7.0f, 1.0f));
        levels.push_back(one ? 250 : 6);
    }
    for (const float slant : {0.0f, 0.5f, -1.25f}) {
        RasterParams p = Raster(90, 24, 5);
        p.slant = slant;
        EXPECT_GT(noisy::AgreeWhereDecided(ExtractBits(levels, p), ExtractSoftBits(soft, p)), 60) << slant;
    }
}
