#include <gtest/gtest.h>

#include "raster/FollowNewest.h"
#include "raster/RasterWalk.h"

using namespace morvane;

namespace {

RasterParams Layout(std::int32_t count, std::int32_t offset, float slant = 0.0f) {
    RasterParams p;
    p.count = count;
    p.offset = offset;
    p.slant = slant;
    return p;
}

/// The last stream index the walk visits in a view `height` pixels high.
std::int64_t LastVisited(std::int64_t n, const RasterParams& p, std::int32_t height) {
    std::int64_t last = -1;
    WalkRaster(n, p.count, p.offset, p.slant, height, [&](std::int64_t, std::int32_t, std::int64_t i) { last = i; });
    return last;
}

}  // namespace

TEST(FollowNewest, MovesByWholeRowsUntilTheNewestLevelIsDrawn) {
    struct Case {
        std::int64_t n;
        RasterParams params;
        std::int32_t height;
        std::int32_t expected;
    };
    const Case cases[] = {
        // 10 rows of 90 fit in 30 pixels; 5000 levels from 7: rows start 7, 97, ...
        {5000, Layout(90, 7), 30, 7 + 46 * 90},
        // Already showing the newest rows: unchanged.
        {700, Layout(90, 7), 30, 7},
        // Beyond the stream: back by whole rows, not below 0.
        {5000, Layout(90, 90000), 30, 90000 - 954 * 90},
        {500, Layout(90, 9000), 30, 0},
        {500, Layout(90, 9007), 30, 7},
        // A height that is not a multiple of 3 still shows its partial row.
        {5000, Layout(90, 7), 31, 7 + 45 * 90},
        // Slant: rows of 90.5 levels.
        {10000, Layout(90, 0, 0.5f), 30, static_cast<std::int32_t>(101 * 90.5)},
        // Nothing to move by.
        {5000, Layout(0, 7), 30, 7},
        {5000, Layout(-3, 7), 30, 7},
        {5000, Layout(1, 7, -0.5f), 30, 7},
        {5000, Layout(90, 7), 0, 7},
        {0, Layout(90, 7), 30, 7},
    };
    for (const Case& c : cases) {
        const std::int32_t got = FollowNewestOffset(c.n, c.params, c.height);
        EXPECT_EQ(got, c.expected) << c.n << " levels, count " << c.params.count << ", offset " << c.params.offset
                                   << ", height " << c.height;
    }
}

// Streams longer than the view (152 rows here): the walk's last visit is the
// newest level. (Shorter ones keep their offset; with a negative slant the
// walk's step limit may then end it before the newest level.)
TEST(FollowNewest, TheViewEndsWithTheNewestLevel) {
    for (std::int64_t n : {20000, 100000, 1234567}) {
        for (std::int32_t count : {64, 90, 91}) {
            for (float slant : {0.0f, 0.25f, -1.5f}) {
                RasterParams p = Layout(count, 13, slant);
                p.offset = FollowNewestOffset(n, p, 456);
                EXPECT_EQ(LastVisited(n, p, 456), n - 1) << n << " " << count << " " << slant;
            }
        }
    }
}
