// The soft reading of followed frames: correlations summed over stretches of
// time (windows weighted by their part inside, gaps between demodulator calls
// kept), the soft keying the frames are followed on, and the frames' bits.
#include <gtest/gtest.h>

#include <complex>

#include "AlignSupport.h"
#include "align/FrameSoftBits.h"
#include "align/SoftSpans.h"
#include "align/SoftTimeTrueSignal.h"
#include "synth/RttySynth.h"

using namespace morvane;
using namespace morvane::aligntest;

namespace {

// Windows of tone 1 alone, (1, 0) each: a sum's real part counts windows.
std::vector<SoftWindow> Tone1Windows(std::size_t count) {
    SoftWindow w;
    w.re1 = 1;
    return std::vector<SoftWindow>(count, w);
}

}  // namespace

TEST(SoftSpans, WeighWindowsByTheirPartInsideAndKeepTheGapsBetweenCalls) {
    const std::vector<SoftWindow> soft = Tone1Windows(4);
    // Two calls of two windows: 10 samples dropped in front of the first
    // (windows at 10 and 90), 20 in front of the second, which starts on
    // sample 170 (windows at 190 and 270).
    LevelTimeline timeline(80);
    timeline.Record(0, 0, 2, 2 * (160 + 10));
    timeline.Record(170, 2, 2, 2 * (160 + 20));
    const SoftSpans spans(timeline, soft, 80);
    const struct {
        double a, b, windows;
    } cases[] = {
        {0.0, 400.0, 4.0},    // all of them
        {10.0, 90.0, 1.0},    // exactly the first
        {50.0, 130.0, 1.0},   // half of each of the first two
        {100.0, 200.0, 1.0},  // 70 of the second window, nothing of the gap, 10 of the third
        {170.0, 190.0, 0.0},  // the gap alone
        {350.0, 900.0, 0.0},  // behind the stream
        {-500.0, 10.0, 0.0},  // before it
        {200.0, 100.0, 0.0},  // an empty stretch
    };
    for (const auto& c : cases) {
        const SoftSpans::Sum sum = spans.Over(c.a, c.b);
        EXPECT_DOUBLE_EQ(sum.tone1.real(), c.windows) << c.a << " … " << c.b;
        EXPECT_EQ(sum.tone2, std::complex<double>()) << c.a << " … " << c.b;
    }
    // A timeline of some other stream: evenly spaced windows from sample 0.
    const SoftSpans even(LevelTimeline(80), soft, 80);
    EXPECT_DOUBLE_EQ(even.Over(40.0, 200.0).tone1.real(), 2.0);
    EXPECT_DOUBLE_EQ(even.Over(0.0, 320.0).tone1.real(), 4.0);
}

TEST(FrameSoftBits, NoFramesOrNoSignalGiveNothingOrSilence) {
    const TimeTrueSignal signal{0, 80, std::vector<std::int32_t>(200, 128)};
    const FrameModel model;
    EXPECT_EQ(FrameSoftBits(signal, LevelTimeline(80), {}, model, {}), "");
    // Frames over silent windows (and beyond the stream) read '0', as a level of 128 does.
    const std::vector<SoftWindow> silent(200);
    EXPECT_EQ(FrameSoftBits(signal, LevelTimeline(80), silent, model, {{0.0, true}, {180.0, true}}),
              "0000000\r\n0000000\r\n");
    // The soft keying of silence is silence.
    const TimeTrueSignal keying = MakeSoftTimeTrueSignal(signal, LevelTimeline(80), silent, model.bit);
    EXPECT_EQ(keying.levels, signal.levels);
    EXPECT_EQ(MakeSoftTimeTrueSignal(signal, LevelTimeline(80), {}, model.bit).levels, signal.levels);
}

TEST(FrameSoftBits, CleanFramesReadAsTheLevelReadingReadsThem) {
    // Captured block by block, so that the windows of successive calls are
    // not evenly spaced; the levels and the correlations come from one pass.
    RttySynthSettings s;
    std::vector<std::int16_t> samples = SynthesizeRtty("RYRY CQ DE MORVANE 599 XQZJV 73\n", s);
    CaptureBuffers buffers;
    buffers.SetRecording(true);
    std::vector<std::int32_t> levels;
    std::vector<SoftWindow> soft;
    LevelTimeline timeline;
    constexpr std::size_t kBlock = kDeviceBlockBytes / 2;
    for (std::size_t at = 0; at < samples.size(); at += kBlock) {
        const std::size_t n = std::min(kBlock, samples.size() - at);
        buffers.HandleBlock(samples.data() + at, static_cast<std::int32_t>(n * 2));
        buffers.DemodulatePending(DemodSettings{}, kCaptureFormat, levels, {.soft = &soft, .timeline = &timeline});
    }
    ASSERT_GT(timeline.Calls().size(), 2u);
    const TimeTrueSignal signal = MakeTimeTrueSignal(levels, timeline);
    std::vector<TrackedFrame> frames;
    const FrameAlignment a = FindFrames(signal, timeline, &frames);
    ASSERT_TRUE(a.found) << a.reason;
    const std::string bits = FrameBits(signal, a.model, frames);
    EXPECT_EQ(FrameSoftBits(signal, timeline, soft, a.model, frames), bits);
    // Followed on the soft keying, the same frames come out.
    const TimeTrueSignal keying = MakeSoftTimeTrueSignal(signal, timeline, soft, a.model.bit);
    const std::vector<TrackedFrame> softFrames = TrackFrames(keying, a.model);
    EXPECT_EQ(FrameSoftBits(keying, timeline, soft, a.model, softFrames), bits);
    EXPECT_EQ(FrameText(bits, a), "RYRY CQ DE MORVANE 599 XQZJV 73\r\n");
}
