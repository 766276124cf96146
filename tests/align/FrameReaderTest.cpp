// The reading of followed frames: one row of cells per frame, every bit
// handed to the decider at its place, and the level reading's bits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "align/FrameFinder.h"
#include "align/FrameReader.h"
#include "align/LevelMeans.h"

using namespace morvane;

namespace {

// Writes where each bit lies, as its start's grid position modulo 10.
class BitPlaces : public FrameDecider {
public:
    char Decide(const FrameBit& bit) const override {
        return static_cast<char>('0' + static_cast<int>(bit.At(0.0)) % 10);
    }
};

// A signal of one Baudot frame (7 cells of 12 points): start space, the
// code bits 1 0 1 0 1, stop mark; polarity 1: mark above 128.
TimeTrueSignal OneFrame() {
    TimeTrueSignal s;
    for (int bit : {0, 1, 0, 1, 0, 1, 1})
        s.levels.insert(s.levels.end(), 12, bit ? 200 : 56);
    s.levels.insert(s.levels.end(), 6, 200);
    return s;
}

}  // namespace

TEST(FrameReader, GivesOneRowOfCellsPerFrameEachBitAtItsPlace) {
    FrameModel m;  // 5 data bits, 12 steps a bit: 7 cells
    const std::vector<TrackedFrame> frames{{3.0, true}, {95.0, false}};
    EXPECT_EQ(ReadFrameBits(m, frames, BitPlaces()), "3579135\r\n5791357\r\n");
    EXPECT_EQ(ReadFrameBits(m, {}, BitPlaces()), "");
    m.dataBits = 40;  // more cells than a frame may have
    EXPECT_EQ(ReadFrameBits(m, frames, BitPlaces()), "");
}

TEST(FrameReader, LevelMeansReadTheMiddleOfEveryBit) {
    const TimeTrueSignal s = OneFrame();
    const FrameModel m;
    EXPECT_EQ(FrameBits(s, m, {{0.0, true}}), "0101011\r\n");
    // Two points late the means still lie inside the bits; outside the
    // signal is silence, read as '0'.
    EXPECT_EQ(FrameBits(s, m, {{2.0, true}}), "0101011\r\n");
    EXPECT_EQ(FrameBits(s, m, {{-60.0, true}}), "0000001\r\n");
    const LevelMeans means(s);
    EXPECT_EQ(means.MeanLevel(0.0, 12.0), 56);
    EXPECT_EQ(means.MeanLevel(6.0, 18.0), 128);  // half space, half mark
    EXPECT_EQ(means.MeanLevel(200.0, 300.0), 128);
}

// More frames than 2²⁴ levels of frame rows: every one is read alike (a
// 32-bit float walk over rows of levels would stop advancing there).
TEST(FrameReader, ReadsAnyNumberOfFramesAlike) {
    const TimeTrueSignal s = OneFrame();
    const std::vector<TrackedFrame> frames(210000, TrackedFrame{0.0, true});
    const std::string bits = FrameBits(s, FrameModel{}, frames);
    ASSERT_EQ(bits.size(), frames.size() * 9);
    EXPECT_EQ(bits.substr(bits.size() - 9), "0101011\r\n");
    std::size_t rows = 0;
    for (std::size_t at = 0; at < bits.size(); at += 9) rows += bits.compare(at, 9, "0101011\r\n") == 0;
    EXPECT_EQ(rows, frames.size());
}
