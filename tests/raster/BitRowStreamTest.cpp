#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "raster/BitExtraction.h"
#include "raster/BitRowStream.h"

using namespace morvane;

namespace {

// The stream given in pieces of random size, as blocks arrive during capture.
std::string Streamed(const std::vector<std::int32_t>& all, const RasterParams& params, std::mt19937& random,
                     std::size_t* rowsGiven = nullptr) {
    BitRowStream stream(params);
    std::vector<std::int32_t> levels;
    std::string rows;
    std::size_t given = 0;
    while (levels.size() < all.size()) {
        const std::size_t more = std::min<std::size_t>(all.size() - levels.size(), random() % 400);
        levels.insert(levels.end(), all.begin() + static_cast<std::ptrdiff_t>(levels.size()),
                      all.begin() + static_cast<std::ptrdiff_t>(levels.size() + more));
        const std::size_t before = rows.size();
        given += stream.Extend(levels, rows);
        // Only whole rows come out before the end.
        EXPECT_TRUE(rows.size() == before || rows.substr(rows.size() - 2) == "\r\n");
    }
    given += stream.Finish(rows);
    if (rowsGiven) *rowsGiven = given;
    return rows;
}

}  // namespace

TEST(BitRowStream, GivesExactlyTheBatchExtraction) {
    std::mt19937 random(3);
    std::vector<std::int32_t> levels(5000);
    for (auto& level : levels) level = 100 + static_cast<std::int32_t>(random() % 60);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        std::int32_t count, offset;
        float slant;
        std::int32_t gridWidth;
    } cases[] = {
        {90, 300, 0.0f, 24},   {64, 0, 0.0f, 24},     {90, 17, 0.37f, 24}, {90, 17, -0.6f, 25},
        {50, 10, -40.0f, 24},  {10, 0, -10.0f, 4},    {0, 5, 0.0f, 24},    {-3, 0, 0.0f, 24},
        {90, 4999, 0.0f, 24},  {90, 5000, 0.0f, 24},  {90, -1, 0.0f, 24},  {90, -5, 0.0f, 24},
        {90, 0, nan, 24},      {90, 0, 1e30f, 24},    {90, 0, 0.0f, 1},    {90, 0, 0.0f, 0},
        {7, 3, 2.5f, 2},       {1, 0, 0.0f, 600},
    };
    for (const auto& c : cases) {
        RasterParams p;
        p.count = c.count;
        p.offset = c.offset;
        p.slant = c.slant;
        p.gridWidth = c.gridWidth;
        std::size_t given = 0;
        const std::string batch = ExtractBits(levels, p);
        EXPECT_EQ(Streamed(levels, p, random, &given), batch)
            << "count " << c.count << " offset " << c.offset << " slant " << c.slant << " width " << c.gridWidth;
        std::size_t lines = 0;
        for (std::size_t at = 0; (at = batch.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
        EXPECT_EQ(given, lines);
    }
}

TEST(BitRowStream, ARowComesOnceItsLastLevelIsThere) {
    RasterParams p;
    p.count = 24;
    p.gridWidth = 24;
    BitRowStream stream(p);
    std::vector<std::int32_t> levels(23, 200);
    std::string rows;
    EXPECT_EQ(stream.Extend(levels, rows), 0u);
    EXPECT_EQ(rows, "");
    levels.push_back(60);
    EXPECT_EQ(stream.Extend(levels, rows), 1u);
    EXPECT_EQ(rows, "11\r\n");
    EXPECT_EQ(stream.NextIndex(), 24);
    EXPECT_EQ(stream.Finish(rows), 0u);
}
