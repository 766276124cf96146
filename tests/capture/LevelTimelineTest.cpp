#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stdexcept>
#include <vector>

#include "capture/CaptureBuffers.h"
#include "dsp/LevelTimeline.h"

using namespace morvane;

TEST(LevelTimeline, PlacesLevelsCallByCall) {
    LevelTimeline t(80);
    // A call that dropped 14 samples and made 10 levels; then one that dropped
    // 3 more after the 6 samples left over, and made 4 levels.
    t.Record(0, 0, 10, 2 * (14 + 800));
    t.Record(814, 10, 4, 2 * (6 + 3 + 320));
    t.Record(1143, 14, 0, 2 * 20);  // nothing appended: no entry
    ASSERT_EQ(t.Calls().size(), 2u);
    EXPECT_EQ(t.Calls()[0].dropped, 14);
    EXPECT_EQ(t.Calls()[1].dropped, 9);
    EXPECT_EQ(t.LevelCount(), 14);
    EXPECT_EQ(t.SampleOf(0), 14);
    EXPECT_EQ(t.SampleOf(9), 14 + 9 * 80);
    EXPECT_EQ(t.SampleOf(10), 814 + 9);
    EXPECT_EQ(t.SampleOf(13), 823 + 3 * 80);
    EXPECT_EQ(t.SampleOf(15), 823 + 5 * 80);  // beyond the last call: evenly on
    EXPECT_EQ(t.LevelAtOrAfter(0), 0);
    EXPECT_EQ(t.LevelAtOrAfter(15), 1);
    EXPECT_EQ(t.LevelAtOrAfter(814), 10);     // inside the gap: the next call's first level
    EXPECT_EQ(t.LevelAtOrAfter(824), 11);
    EXPECT_EQ(t.LevelAtOrAfter(100000), 14);
    // Figures that contradict each other are refused.
    EXPECT_THROW(t.Record(2000, 20, 1, 160), std::invalid_argument);  // not the next level
    EXPECT_THROW(t.Record(2000, 14, 2, 160), std::invalid_argument);  // fewer samples than windows
    t.Clear();
    EXPECT_EQ(t.LevelCount(), 0);
    EXPECT_THROW(LevelTimeline(0), std::invalid_argument);
}

TEST(LevelTimeline, CaptureRecordsEveryCallAtItsZeroCrossing) {
    // FSK-like sound with random tone changes, fed in device blocks.
    std::mt19937 random(5);
    std::vector<std::int16_t> samples(48000 * 12);
    double phase = 0.0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (i % 960 == 0 && random() % 2) phase += 0.5;
        const double f = (i / 960) % 2 ? 1500.0 : 2000.0;
        phase += f / 48000.0;
        samples[i] = static_cast<std::int16_t>(std::lround(9000.0 * std::sin(6.283185307179586 * phase)));
    }
    std::vector<std::int16_t> plainInput = samples;
    CaptureBuffers timed, plain;
    timed.SetRecording(true);
    plain.SetRecording(true);
    std::vector<std::int32_t> levels, plainLevels;
    LevelTimeline timeline;
    std::int64_t expectedStart = 0;
    constexpr std::size_t kBlock = kDeviceBlockBytes / 2;
    for (std::size_t at = 0; at < samples.size(); at += kBlock) {
        const auto n = static_cast<std::int32_t>(std::min(kBlock, samples.size() - at));
        timed.HandleBlock(samples.data() + at, 2 * n);
        plain.HandleBlock(plainInput.data() + at, 2 * n);
        EXPECT_EQ(timed.PendingStart(), expectedStart);
        const std::int32_t consumed = timed.DemodulatePending({}, kCaptureFormat, levels, {.timeline = &timeline});
        plain.DemodulatePending({}, kCaptureFormat, plainLevels);
        expectedStart += consumed / 2;
    }
    // The level stream itself is untouched by keeping the timeline.
    EXPECT_EQ(levels, plainLevels);
    ASSERT_EQ(timeline.LevelCount(), static_cast<std::int64_t>(levels.size()));
    ASSERT_GT(timeline.Calls().size(), 10u);
    // `samples` now holds the normalised sound as the demodulator saw it:
    // every call starts its first window at the last negative sample of the
    // first rising zero crossing after the samples it took before.
    std::int64_t pendingStart = 0;
    for (const DemodCall& call : timeline.Calls()) {
        EXPECT_EQ(call.firstSample, pendingStart + call.dropped);
        for (std::int64_t i = pendingStart; i < call.firstSample; ++i)
            EXPECT_FALSE(samples[i] < 0 && samples[i + 1] >= 0) << "earlier crossing at " << i;
        if (call.dropped > 0) {
            EXPECT_LT(samples[call.firstSample], 0);
            EXPECT_GE(samples[call.firstSample + 1], 0);
        }
        pendingStart = call.firstSample + std::int64_t{call.levelCount} * 80;
    }
}
