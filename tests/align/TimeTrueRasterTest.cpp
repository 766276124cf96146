#include <gtest/gtest.h>

#include <random>

#include "AlignSupport.h"
#include "align/TimeTrueRaster.h"
#include "raster/BitExtraction.h"
#include "support/DecodeRoundTripSupport.h"
#include "synth/RttySynth.h"

using namespace morvane;
using namespace morvane::aligntest;

TEST(TimeTrueRaster, SteadyTransmissionStandsStraight) {
    // Three minutes of letters at exactly 50 baud: 90 levels of time per frame.
    std::mt19937 random(9);
    std::string text;
    for (int i = 0; i < 1400; ++i) text += static_cast<char>('A' + random() % 26);
    RttySynthSettings synth;
    synth.idleSeconds = 0.1;
    const Captured c = Capture(SynthesizeRtty(text, synth), DemodSettings{});
    const FrameAlignment a = FindFrames(c.levels, c.timeline);
    ASSERT_TRUE(a.found);
    // Without its timeline (or with another stream's) the stream still aligns,
    // its levels taken as evenly spaced: the tracker follows the wander.
    const FrameAlignment untimed = FindFrames(c.levels, LevelTimeline());
    ASSERT_TRUE(untimed.found);
    EXPECT_EQ(untimed.frames, a.frames);
    RasterParams params = roundtrip::FrameRaster(a.raster.offset);  // count 90, slant 0, width 24
    const int plainFramed = roundtrip::FramedRows(ExtractBits(c.levels, params));
    std::vector<std::int32_t> rows = TimeTrueRows(c.levels, c.timeline, params);
    EXPECT_EQ(params.offset, 0);
    const int timeTrueFramed = roundtrip::FramedRows(ExtractBits(rows, params));
    // Every frame stands in its row on the time-true raster; on the plain
    // one the dropped samples walk the frames out of their rows.
    EXPECT_GE(timeTrueFramed, 1400);
    EXPECT_LT(plainFramed, 1000);
}

TEST(TimeTrueRaster, EdgeCasesLeaveTheStreamAlone) {
    const std::vector<std::int32_t> levels = {130, 120, 140, 110, 150, 100, 128, 129};
    const LevelTimeline none;
    RasterParams p;
    p.count = 3;
    p.offset = 1;
    // Without a timeline levels are evenly spaced: rows as the plain walk with slant 0.
    RasterParams q = p;
    EXPECT_EQ(ExtractBits(TimeTrueRows(levels, none, q), q), ExtractBits(levels, p));
    for (RasterParams bad : {RasterParams{0, 0, 0.0f}, RasterParams{3, 8, 0.0f}, RasterParams{3, -1, 0.0f}}) {
        RasterParams copy = bad;
        EXPECT_EQ(TimeTrueRows(levels, none, copy), levels);
        EXPECT_EQ(copy.offset, bad.offset);
    }
    // A slant that repeats whole rows still ends, after as many levels as the stream holds.
    RasterParams back = p;
    back.slant = -3.0f;
    EXPECT_EQ(TimeTrueRows(levels, none, back).size(), levels.size());
}
