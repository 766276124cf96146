#include <gtest/gtest.h>

#include <algorithm>
#include <complex>
#include <limits>
#include <random>

#include "raster/BitRowStream.h"
#include "raster/CellWalker.h"
#include "raster/LevelCounts.h"
#include "raster/RasterWalk.h"
#include "raster/SoftRowStream.h"
#include "raster/SoftSums.h"

using namespace morvane;

namespace {

// A third rule, as a new receiver would add one: checks that its cell's
// values come with their places 0, 1, 2, ... and gives the cell's length
// as a letter ('a' one value), so rows and cells show where the walk cut.
class CellLengths {
public:
    using Value = std::int32_t;
    void Add(std::int32_t, std::int64_t at) {
        if (at != m_count) m_inOrder = false;
        ++m_count;
    }
    char Decide() {
        const char c = m_inOrder ? static_cast<char>('a' + std::min<std::int64_t>(m_count - 1, 25)) : '!';
        m_count = 0;
        m_inOrder = true;
        return c;
    }

private:
    std::int64_t m_count = 0;
    bool m_inOrder = true;
};

struct Raster {
    std::int32_t count, offset;
    float slant;
    std::int32_t gridWidth, trim;
};

RasterParams Params(const Raster& r) {
    RasterParams p;
    p.count = r.count;
    p.offset = r.offset;
    p.slant = r.slant;
    p.gridWidth = r.gridWidth;
    return p;
}

const float kNan = std::numeric_limits<float>::quiet_NaN();
const Raster kRasters[] = {
    {90, 300, 0.0f, 24, 0},  {64, 0, 0.0f, 24, 0},    {90, 17, 0.37f, 24, 2}, {90, 17, -0.6f, 25, 5},
    {50, 10, -40.0f, 24, 1}, {10, 0, -10.0f, 4, 0},   {0, 5, 0.0f, 24, 0},    {-3, 0, 0.0f, 24, 0},
    {90, 8999, 0.0f, 24, 0}, {90, 9000, 0.0f, 24, 0}, {90, -1, 0.0f, 24, 0},  {90, 0, kNan, 24, 0},
    {90, 0, 0.0f, 1, 0},     {7, 3, 2.5f, 2, 0},      {1, 0, 0.0f, 600, 149}, {64, 100, -64.5f, 24, 3},
};

std::vector<std::int32_t> RandomLevels(std::mt19937& random) {
    std::vector<std::int32_t> levels(9000);
    for (auto& level : levels) level = 100 + static_cast<std::int32_t>(random() % 60);
    return levels;
}

std::vector<SoftWindow> RandomWindows(std::mt19937& random) {
    std::normal_distribution<float> gauss(0.0F, 1.0F);
    std::vector<SoftWindow> all(9000);
    for (SoftWindow& w : all) {
        w.re1 = static_cast<_Float16>(gauss(random));
        w.im1 = static_cast<_Float16>(gauss(random));
        w.re2 = static_cast<_Float16>(gauss(random) * 1.1F);
        w.im2 = static_cast<_Float16>(gauss(random));
    }
    return all;
}

// The whole stream and both streaming front ends, the stream given in
// uneven pieces (empty ones among them): all three must agree.
template <typename Decider, typename MakeDecider>
void ExpectFrontEndsAgree(const std::vector<typename Decider::Value>& all, MakeDecider make, std::mt19937& random) {
    for (const Raster& r : kRasters) {
        const RasterParams p = Params(r);
        SCOPED_TRACE(testing::Message() << "count " << r.count << " offset " << r.offset << " slant " << r.slant
                                        << " width " << r.gridWidth << " trim " << r.trim);
        const std::string whole = WalkCells(all, p, make(p, r));

        CellRowStream<Decider> extended(p, make(p, r));
        CellRowStream<Decider> appended(p, make(p, r));
        std::vector<typename Decider::Value> grown;
        std::string byExtend, byAppend;
        for (std::size_t at = 0; at < all.size();) {
            const std::size_t more = std::min<std::size_t>(all.size() - at, random() % 500);
            grown.insert(grown.end(), all.begin() + static_cast<std::ptrdiff_t>(at),
                         all.begin() + static_cast<std::ptrdiff_t>(at + more));
            const std::size_t before = byExtend.size();
            extended.Extend(grown, byExtend);
            appended.Append(all.data() + at, more, byAppend);
            at += more;
            // Only whole rows come out before the end, the same by both.
            EXPECT_TRUE(byExtend.size() == before || byExtend.substr(byExtend.size() - 2) == "\r\n");
            EXPECT_EQ(byAppend, byExtend);
        }
        extended.Finish(byExtend);
        appended.Finish(byAppend);
        EXPECT_EQ(byExtend, whole);
        EXPECT_EQ(byAppend, whole);
    }
}

// The soft reading done plainly: the raster walk, each cell's windows kept,
// then the trimmed middle (or the whole of a short cell) summed.
std::string PlainSoftBits(const std::vector<SoftWindow>& soft, const RasterParams& p, std::int64_t trim) {
    const std::int64_t h = p.gridWidth / 2;
    std::string bits;
    if (h < 1) return bits;
    std::vector<SoftWindow> cell;
    bool open = false;
    const auto close = [&] {
        if (cell.empty()) return;
        const auto n = static_cast<std::int64_t>(cell.size());
        std::int64_t first = trim, end = std::min(n, h - trim);
        if (first >= end) first = 0, end = n;
        std::complex<double> t1, t2;
        for (std::int64_t i = first; i < end; ++i) t1 += cell[i].Tone1(), t2 += cell[i].Tone2();
        bits.push_back(std::norm(t1) - std::norm(t2) > 0.0 ? '1' : '0');
        cell.clear();
    };
    const auto endRow = [&] {
        close();
        bits += "\r\n";
        open = false;
    };
    WalkRaster(
        static_cast<std::int64_t>(soft.size()), p.count, p.offset, p.slant, std::nullopt,
        [&](std::int64_t, std::int32_t, std::int64_t index) {
            open = true;
            cell.push_back(soft[static_cast<std::size_t>(index)]);
            if (static_cast<std::int64_t>(cell.size()) == h) close();
        },
        endRow);
    if (open) endRow();
    return bits;
}

}  // namespace

TEST(CellWalker, StreamingAndWholeAgreeForTheLevelCounts) {
    std::mt19937 random(21);
    ExpectFrontEndsAgree<LevelCounts>(RandomLevels(random), [](const RasterParams&, const Raster&) {
        return LevelCounts{};
    }, random);
}

TEST(CellWalker, StreamingAndWholeAgreeForTheSoftSums) {
    std::mt19937 random(22);
    ExpectFrontEndsAgree<SoftSums>(RandomWindows(random), [](const RasterParams& p, const Raster& r) {
        return SoftSums(CellSize(p), r.trim);
    }, random);
}

TEST(CellWalker, StreamingAndWholeAgreeForANewRule) {
    std::mt19937 random(23);
    const std::vector<std::int32_t> levels = RandomLevels(random);
    ExpectFrontEndsAgree<CellLengths>(levels, [](const RasterParams&, const Raster&) { return CellLengths{}; },
                                      random);
    // Rows of 30 levels in cells of 12: two full cells and one of 6, every row.
    RasterParams p;
    p.count = 30;
    p.gridWidth = 24;
    const std::string rows = WalkCells(std::vector<std::int32_t>(95), p, CellLengths{});
    EXPECT_EQ(rows, "llf\r\nllf\r\nllf\r\ne\r\n");
}

TEST(CellWalker, SoftSumsMatchThePlainTrimmedSums) {
    std::mt19937 random(24);
    const std::vector<SoftWindow> soft = RandomWindows(random);
    for (const Raster& r : kRasters) {
        const RasterParams p = Params(r);
        EXPECT_EQ(WalkCells(soft, p, SoftSums(CellSize(p), r.trim)), PlainSoftBits(soft, p, r.trim))
            << "count " << r.count << " offset " << r.offset << " slant " << r.slant << " trim " << r.trim;
    }
    // A last cell shorter than the trim is summed whole: with trim 2 a cell
    // of 2 windows keeps both, one of 3 only its third.
    RasterParams p;
    p.count = 0;
    p.gridWidth = 12;
    std::vector<SoftWindow> tail(8);
    tail[6].re1 = 1;  // tone 1 in the short cell's first window
    tail[7].re2 = 2;  // tone 2 in its second
    EXPECT_EQ(WalkCells(tail, p, SoftSums(6, 2)), "00\r\n");
    tail[7].re2 = 0.5;
    EXPECT_EQ(WalkCells(tail, p, SoftSums(6, 2)), "01\r\n");
}
