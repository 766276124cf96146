#include <gtest/gtest.h>

#include <vector>

#include "views/RasterImage.h"
#include "views/RasterWalk.h"

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
