#include <gtest/gtest.h>

#include <algorithm>
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

namespace {

// The stream handed over a piece at a time, as a recording is read: the
// rows and the most levels kept at any time.
std::string Appended(const std::vector<std::int32_t>& all, const RasterParams& params, std::mt19937& random,
                     std::size_t& mostHeld) {
    BitRowStream stream(params);
    std::string rows;
    mostHeld = 0;
    for (std::size_t at = 0; at < all.size();) {
        // Uneven pieces, empty ones among them.
        const std::size_t more = std::min<std::size_t>(all.size() - at, random() % 700);
        stream.Append(all.data() + at, more, rows);
        at += more;
        mostHeld = std::max(mostHeld, stream.HeldLevels());
    }
    stream.Finish(rows);
    return rows;
}

}  // namespace

TEST(BitRowStream, AppendedPiecesGiveTheBatchExtractionInBoundedMemory) {
    std::mt19937 random(11);
    std::vector<std::int32_t> levels(60000);
    for (auto& level : levels) level = 100 + static_cast<std::int32_t>(random() % 60);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::int32_t big = std::numeric_limits<std::int32_t>::max();
    const struct {
        std::int32_t count, offset;
        float slant;
        std::int32_t gridWidth;
        bool bounded;  // false: the row starts walk back, every level may be read again
    } cases[] = {
        {64, 0, 0.0f, 24, true},         {90, 17, 0.37f, 24, true},      {90, 17, -0.6f, 25, true},
        {50, 10, -40.0f, 24, true},      {50, 10, -49.75f, 24, true},    {10, 0, -10.0f, 4, true},
        {64, 3000, -63.0f, 24, true},    {2000, 5, -1999.5f, 24, true},  {600, 100, -650.0f, 24, false},
        {50, 40000, -60.0f, 24, false},  {0, 5, 0.0f, 24, true},         {-3, 0, 0.0f, 24, true},
        {90, 59999, 0.0f, 24, true},     {90, 60000, 0.0f, 24, true},    {90, big, 0.0f, 24, true},
        {90, -1, 0.0f, 24, true},        {90, -5, -3.0f, 24, true},      {90, 0, nan, 24, true},
        {90, 0, -nan, 24, true},         {90, 0, 1e30f, 24, true},       {90, 0, -inf, 24, true},
        {90, 0, 0.0f, 1, true},          {90, 0, 0.0f, 0, true},         {90, 0, -20.0f, -7, true},
        {7, 3, 2.5f, 2, true},           {1, 0, 0.0f, 600, true},        {1, 0, -1.0f, 24, true},
        {big, 0, -5.0f, 24, false},      {64, 0, -64.0f, 24, true},      {64, 100, -64.5f, 24, false},
    };
    for (const auto& c : cases) {
        RasterParams p;
        p.count = c.count;
        p.offset = c.offset;
        p.slant = c.slant;
        p.gridWidth = c.gridWidth;
        // What may be kept: a piece, a row and its slant behind the walk, and
        // with a negative slant the levels the walk has not reached yet (it
        // repeats -slant of every count levels, so it falls behind the stream).
        // Levels are dropped once half of them can go: twice that.
        const double row = c.count > 0 ? c.count : 0;
        const double behind = c.count > 0 && c.slant < 0 && std::isfinite(c.slant)
                                  ? std::min(1.0, -static_cast<double>(c.slant) / c.count) * levels.size() : 0.0;
        const double mostAllowed = 2.0 * (700 + row + (std::isfinite(c.slant) ? std::fabs(c.slant) : 0) + 2 + behind);
        const std::string batch = ExtractBits(levels, p);
        for (int run = 0; run < 3; ++run) {
            std::size_t mostHeld = 0;
            EXPECT_EQ(Appended(levels, p, random, mostHeld), batch)
                << "count " << c.count << " offset " << c.offset << " slant " << c.slant << " width " << c.gridWidth;
            if (c.bounded) {
                EXPECT_LE(static_cast<double>(mostHeld), mostAllowed)
                    << "count " << c.count << " offset " << c.offset << " slant " << c.slant;
            }
        }
    }
}

TEST(BitRowStream, FirstNeededIndexReachesBackOverABackwardRow) {
    RasterParams p;
    p.count = 10;
    p.slant = -8.0f;  // each row starts 2 levels after the one before
    p.gridWidth = 4;
    BitRowStream stream(p);
    const std::vector<std::int32_t> levels(25, 200);
    std::string rows;
    stream.Append(levels.data(), 5, rows);
    // Row 0 reads 0 … 9, row 1 starts at 2.
    EXPECT_EQ(stream.FirstNeededIndex(), 2);
    // Ten steps walk row 0, five more row 1 from 2 to 6.
    stream.Append(levels.data(), 10, rows);
    EXPECT_EQ(rows, "11111\r\n");
    EXPECT_EQ(stream.NextIndex(), 7);
    EXPECT_EQ(stream.FirstNeededIndex(), 4);
    stream.Append(levels.data(), 10, rows);
    EXPECT_EQ(rows, "11111\r\n11111\r\n");
    EXPECT_EQ(stream.NextIndex(), 9);
    EXPECT_EQ(stream.FirstNeededIndex(), 6);
}
