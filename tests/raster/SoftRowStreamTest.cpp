#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "raster/SoftBitExtraction.h"
#include "raster/SoftRowStream.h"

using namespace morvane;

TEST(SoftRowStream, GivesExactlyTheBatchExtraction) {
    std::mt19937 random(5);
    std::normal_distribution<float> gauss(0.0F, 1.0F);
    std::vector<SoftWindow> all(5000);
    for (SoftWindow& w : all) {
        w.re1 = Half(static_cast<float>(gauss(random)));
        w.im1 = Half(static_cast<float>(gauss(random)));
        w.re2 = Half(static_cast<float>(gauss(random)));
        w.im2 = Half(static_cast<float>(gauss(random)));
    }
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        std::int32_t count, offset;
        float slant;
        std::int32_t gridWidth, trim;
    } cases[] = {
        {90, 300, 0.0f, 24, 0}, {90, 17, 0.37f, 24, 2}, {90, 17, -0.6f, 25, 5}, {50, 10, -40.0f, 24, 1},
        {0, 5, 0.0f, 24, 0},    {90, 4999, 0.0f, 24, 0}, {90, -5, 0.0f, 24, 0}, {90, 0, nan, 24, 0},
        {90, 0, 0.0f, 1, 0},    {7, 3, 2.5f, 2, 0},      {1, 0, 0.0f, 600, 149},
    };
    for (const auto& c : cases) {
        RasterParams p;
        p.count = c.count;
        p.offset = c.offset;
        p.slant = c.slant;
        p.gridWidth = c.gridWidth;
        SoftRowStream stream(p, c.trim);
        std::vector<SoftWindow> soft;
        std::string rows;
        while (soft.size() < all.size()) {
            const std::size_t more = std::min<std::size_t>(all.size() - soft.size(), random() % 400);
            soft.insert(soft.end(), all.begin() + static_cast<std::ptrdiff_t>(soft.size()),
                        all.begin() + static_cast<std::ptrdiff_t>(soft.size() + more));
            const std::size_t before = rows.size();
            stream.Extend(soft, rows);
            EXPECT_TRUE(rows.size() == before || rows.substr(rows.size() - 2) == "\r\n");
        }
        stream.Finish(rows);
        EXPECT_EQ(rows, ExtractSoftBits(all, p, c.trim))
            << "count " << c.count << " offset " << c.offset << " slant " << c.slant << " width " << c.gridWidth;
    }
    RasterParams p;
    EXPECT_THROW(SoftRowStream(p, 6), std::invalid_argument);
    EXPECT_THROW(SoftRowStream(p, -1), std::invalid_argument);
}
