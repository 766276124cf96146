#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "raster/RasterImage.h"
#include "raster/RasterWalk.h"

using namespace morvane;

namespace {

struct Visit {
    std::int64_t row;
    std::int32_t column;
    std::int64_t index;
};

std::vector<Visit> Walk(std::int64_t n, std::int32_t count, std::int32_t offset, float slant,
                        std::optional<std::int32_t> rows = std::nullopt) {
    std::vector<Visit> visits;
    WalkRaster(n, count, offset, slant, rows,
               [&](std::int64_t r, std::int32_t c, std::int64_t i) { visits.push_back({r, c, i}); });
    return visits;
}

std::vector<std::int64_t> RowStarts(const std::vector<Visit>& visits) {
    std::vector<std::int64_t> starts;
    for (const Visit& v : visits)
        if (v.column == 0) starts.push_back(v.index);
    return starts;
}

}  // namespace

TEST(RasterWalk, RowStartsFollowCountSlantAndOffset) {
    EXPECT_EQ(RowStarts(Walk(1000, 64, 0, 0.0f)), (std::vector<std::int64_t>{0, 64, 128, 192, 256, 320, 384, 448, 512,
                                                                             576, 640, 704, 768, 832, 896, 960}));
    const auto slanted = RowStarts(Walk(300, 64, 0, 0.5f));
    EXPECT_EQ(slanted, (std::vector<std::int64_t>{0, 64, 129, 193, 258}));
    // count 1, slant −1: every row shows the level at the offset until n steps are done.
    const auto same = Walk(5, 1, 3, -1.0f);
    ASSERT_EQ(same.size(), 5u);
    for (const Visit& v : same) EXPECT_EQ(v.index, 3);
    // count 1, slant −1.5: position −0.5 still reads index 0, −1.0 ends the walk.
    const auto back = Walk(5, 1, 0, -1.5f);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].index, 0);
}

TEST(RasterWalk, EndsOnEveryKindOfPosition) {
    EXPECT_TRUE(Walk(0, 64, 0, 0.0f).empty());
    EXPECT_TRUE(Walk(10, 64, 10, 0.0f).empty());
    EXPECT_TRUE(Walk(10, 64, -1, 0.0f).empty());
    EXPECT_EQ(Walk(10, 2, 0, std::nanf("")).size(), 2u);
    EXPECT_EQ(Walk(10, 2, 0, 1e30f).size(), 2u);
    EXPECT_EQ(Walk(10, 2, 0, -1e30f).size(), 2u);
    EXPECT_EQ(Walk(10, 2, 0, INFINITY).size(), 2u);
    // A count of zero or less never ends a row; the walk stops after n steps.
    const auto flat = Walk(7, 0, 0, 5.0f);
    ASSERT_EQ(flat.size(), 7u);
    EXPECT_EQ(flat.back().row, 0);
    EXPECT_EQ(Walk(7, -3, 0, 0.0f).size(), 7u);
    // With a row limit of 10 pixels rows start at y = 0, 3, 6, 9 and the walk ends after the fourth.
    const auto limited = Walk(1000, 4, 0, 0.0f, 10);
    EXPECT_EQ(limited.size(), 16u);
}

TEST(RasterWalk, RowsAreConsecutiveRunsOfCount) {
    const auto visits = Walk(1000, 64, 0, 0.0f, 304);
    ASSERT_EQ(visits.size(), 1000u);  // the stream ends in row 15
    for (std::size_t i = 0; i < visits.size(); ++i) {
        EXPECT_EQ(visits[i].row, static_cast<std::int64_t>(i / 64)) << i;
        EXPECT_EQ(visits[i].column, static_cast<std::int32_t>(i % 64)) << i;
        EXPECT_EQ(visits[i].index, static_cast<std::int64_t>(i)) << i;
    }
    const auto offset = Walk(100, 10, 95, 0.0f);
    ASSERT_EQ(offset.size(), 5u);
    EXPECT_EQ(offset.front().index, 95);
    EXPECT_EQ(offset.back().index, 99);
}

TEST(RasterWalk, RowLimitEndsTheWalkWhenARowCompletes) {
    // Rows start at y = 3 × row; the walk ends once 3 × row ≥ H.
    const struct {
        std::int32_t height;
        std::int64_t rows;
    } cases[] = {{1, 1}, {3, 1}, {4, 2}, {9, 3}, {10, 4}, {12, 4}, {13, 5}, {0, 1}, {-5, 1}};
    for (const auto& c : cases) {
        const auto visits = Walk(1000, 4, 0, 0.0f, c.height);
        ASSERT_EQ(visits.size(), static_cast<std::size_t>(4 * c.rows)) << c.height;
        EXPECT_EQ(visits.back().row, c.rows - 1) << c.height;
        EXPECT_EQ(visits.back().column, 3) << c.height;
    }
    // Without a limit the walk goes on to the end of the stream.
    EXPECT_EQ(Walk(1000, 4, 0, 0.0f).size(), 1000u);
}

TEST(RasterWalk, PositionIsASingleFloat) {
    // At 2²⁴ adding 1.0 to a float changes nothing: the walk stays on one index
    // (until the row limit here), exactly as the drawing arithmetic does.
    const auto stuck = Walk(std::int64_t{1} << 25, 4, 1 << 24, 0.0f, 12);
    ASSERT_EQ(stuck.size(), 16u);
    for (const Visit& v : stuck) EXPECT_EQ(v.index, std::int64_t{1} << 24);
    // Fractions accumulate from row to row: slant 0.25 adds one level every fourth row.
    EXPECT_EQ(RowStarts(Walk(100, 2, 0, 0.25f)),
              (std::vector<std::int64_t>{0, 2, 4, 6, 9, 11, 13, 15, 18, 20, 22, 24, 27, 29, 31, 33, 36, 38, 40, 42, 45, 47,
                                         49, 51, 54, 56, 58, 60, 63, 65, 67, 69, 72, 74, 76, 78, 81, 83, 85, 87, 90,
                                         92, 94, 96, 99}));
    // A negative slant repeats levels; the step limit still ends the walk.
    const auto back = Walk(6, 3, 0, -2.0f);
    std::vector<std::int64_t> indices;
    for (const Visit& v : back) indices.push_back(v.index);
    EXPECT_EQ(indices, (std::vector<std::int64_t>{0, 1, 2, 1, 2, 3}));
}

TEST(RasterImage, BrightnessUnderEachContrastMode) {
    const struct {
        std::int32_t level, mode, v;
    } cases[] = {
        {128, 0, 128}, {300, 0, 255}, {-4, 0, 0},   {128, 1, 85}, {129, 1, 193}, {253, 1, 255},
        {3, 1, 2},     {128, 2, 64},  {100, 2, 50}, {129, 2, 255}, {200, 7, 200},
    };
    for (const auto& c : cases) EXPECT_EQ(Brightness(c.level, c.mode), c.v) << c.level << " mode " << c.mode;
}

TEST(RasterImage, GridPositions) {
    const auto shifted = GridPositions(24, -5, 852);
    ASSERT_EQ(shifted.size(), 36u);
    EXPECT_EQ(shifted[0], -5);
    EXPECT_EQ(shifted[1], 19);
    EXPECT_EQ(shifted.back(), 835);
    EXPECT_EQ(GridPositions(900, 3, 852), (std::vector<std::int64_t>{3}));
    EXPECT_TRUE(GridPositions(0, 0, 852).empty());
    EXPECT_TRUE(GridPositions(-4, 0, 852).empty());
}

TEST(RasterImage, BlocksGapsAndGrid) {
    std::vector<std::int32_t> levels(200, 200);
    RasterParams p;
    p.count = 64;
    p.showGrid = 0;
    const RgbImage img = RenderRaster(levels, p, 100, 10);
    auto px = [&](int x, int y) { return &img.rgb[static_cast<std::size_t>((y * 100 + x) * 3)]; };
    EXPECT_EQ(px(0, 0)[0], 200);
    EXPECT_EQ(px(0, 0)[1], 0);
    EXPECT_EQ(px(97, 1)[0], 200);   // column 48 is the last one drawn
    EXPECT_EQ(px(98, 0)[0], 255);   // column 49 would reach the last pixel column
    EXPECT_EQ(px(99, 0)[1], 255);
    EXPECT_EQ(px(5, 2)[1], 255);    // the gap line between rows
    EXPECT_EQ(px(5, 9)[0], 200);    // fourth row starts at y = 9
    p.showGrid = 1;
    p.gridWidth = 24;
    p.gridShift = 0;
    const RgbImage grid = RenderRaster({}, p, 100, 10);
    for (int y = 0; y < 10; ++y) EXPECT_EQ(grid.rgb[static_cast<std::size_t>((y * 100 + 24) * 3)], 200);
    EXPECT_EQ(grid.rgb[static_cast<std::size_t>((0 * 100 + 25) * 3)], 255);
    EXPECT_THROW(RenderRaster(levels, p, -1, 10), std::invalid_argument);
    EXPECT_THROW(RenderRaster(levels, p, 100000, 100000), std::invalid_argument);
    EXPECT_TRUE(RenderRaster(levels, p, 0, 0).rgb.empty());
}

namespace {

struct Pixel {
    std::uint8_t r, g, b;
    bool operator==(const Pixel&) const = default;
};

Pixel At(const RgbImage& img, int x, int y) {
    const std::uint8_t* p = &img.rgb[static_cast<std::size_t>((y * img.width + x) * 3)];
    return {p[0], p[1], p[2]};
}

constexpr Pixel kWhite{255, 255, 255};
constexpr Pixel kGridColour{200, 200, 200};

std::vector<std::int32_t> Ramp(std::size_t n) {
    std::vector<std::int32_t> levels(n);
    for (std::size_t i = 0; i < n; ++i) levels[i] = static_cast<std::int32_t>(20 + i % 200);
    return levels;
}

}  // namespace

TEST(RasterImage, BlocksSkipTheLastPixelColumnWithoutWrapping) {
    // W = 100, count 64: columns 0 … 48 drawn (2c + 2 < 100), 49 … 63 skipped in every row.
    const auto levels = Ramp(1000);
    RasterParams p;
    p.count = 64;
    p.showGrid = 0;
    const RgbImage img = RenderRaster(levels, p, 100, 10);
    for (int row = 0; row < 4; ++row) {
        for (int c = 0; c < 49; ++c) {
            const auto v = static_cast<std::uint8_t>(levels[static_cast<std::size_t>(64 * row + c)]);
            const Pixel block{v, 0, 0};
            // The second line of the row starting at y = 9 falls outside the image.
            for (int dx = 0; dx < 2; ++dx)
                for (int y = 3 * row; y < std::min(3 * row + 2, 10); ++y)
                    ASSERT_EQ(At(img, 2 * c + dx, y), block) << "row " << row << " column " << c;
            if (3 * row + 2 < 10) {
                ASSERT_EQ(At(img, 2 * c, 3 * row + 2), kWhite) << "gap under row " << row;
            }
        }
        for (int x = 98; x < 100; ++x) EXPECT_EQ(At(img, x, 3 * row), kWhite) << "row " << row;
    }
}

TEST(RasterImage, EmptyOrOutOfRangeStreamShowsOnlyTheGrid) {
    RasterParams p;
    p.gridWidth = 24;
    p.gridShift = -5;
    const struct {
        std::size_t n;
        std::int32_t offset;
        std::int32_t showGrid;
    } cases[] = {{0, 0, 1}, {100, 100, 1}, {100, 5000, 1}, {100, -1, 1}, {0, 0, 0}, {100, 100, 0}};
    for (const auto& c : cases) {
        p.offset = c.offset;
        p.showGrid = c.showGrid;
        const RgbImage img = RenderRaster(Ramp(c.n), p, 60, 7);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 60; ++x) {
                const bool line = c.showGrid != 0 && (x == 19 || x == 43);
                ASSERT_EQ(At(img, x, y), line ? kGridColour : kWhite) << x << "," << y << " n " << c.n;
            }
    }
}

TEST(RasterImage, GridGoesOverBlocksAndContrastAppliesPerLevel) {
    std::vector<std::int32_t> levels(64, 129);
    levels[3] = 100;
    RasterParams p;
    p.count = 8;
    p.gridWidth = 4;
    p.gridShift = 1;
    p.contrastMode = 2;
    const RgbImage img = RenderRaster(levels, p, 20, 6);
    EXPECT_EQ(At(img, 0, 0), (Pixel{255, 0, 0}));  // 129 doubled, clamped
    EXPECT_EQ(At(img, 6, 0), (Pixel{50, 0, 0}));   // 100 halved
    EXPECT_EQ(At(img, 1, 0), kGridColour);         // x = 1, 5, 9, … over the blocks
    EXPECT_EQ(At(img, 5, 4), kGridColour);
    EXPECT_EQ(At(img, 5, 2), kGridColour);
    EXPECT_EQ(At(img, 19, 5), kWhite);
}

TEST(RasterImage, CountOfZeroOrLessKeepsEverythingInRowZero) {
    // Also a grid width of 0 with the grid on: no lines, and the pass ends.
    for (std::int32_t count : {0, -1, -64}) {
        RasterParams p;
        p.count = count;
        p.gridWidth = 0;
        const RgbImage img = RenderRaster(Ramp(500), p, 20, 9);
        for (int x = 0; x < 18; ++x) EXPECT_EQ(At(img, x, 0).r, 20 + x / 2) << count;
        for (int x = 18; x < 20; ++x) EXPECT_EQ(At(img, x, 0), kWhite) << count;
        for (int y = 2; y < 9; ++y)
            for (int x = 0; x < 20; ++x) ASSERT_EQ(At(img, x, y), kWhite) << count;
    }
}
