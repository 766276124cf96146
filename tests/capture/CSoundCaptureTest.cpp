#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "support/FakeSound.h"
#include "capture/CSoundCapture.h"

namespace morvane {
namespace {

int Peak(const std::vector<std::int16_t>& v, std::size_t count) {
    int peak = 0;
    for (std::size_t i = 0; i < count; ++i) peak = std::max(peak, std::abs(static_cast<int>(v[i])));
    return peak;
}

class CaptureFixture : public ::testing::Test {
protected:
    void OpenCapture() {
        ASSERT_TRUE(capture.Open(kCaptureFormat, system, 1, [this] { ++posts; }));
        ASSERT_NE(system.device, nullptr);
    }
    bool SetRecording(bool on) {
        capture.SetRecording(on);
        return on;
    }
    std::int32_t Fill() { return capture.PendingFill(); }
    std::vector<std::int16_t> Newest() {
        const auto newest = capture.CopyNewest();
        return newest ? newest->samples : std::vector<std::int16_t>{};
    }

    test::FakeSystem system;
    CSoundCapture capture;
    int posts = 0;
};

TEST_F(CaptureFixture, OpenStartsDeviceWithWholeBlocks) {
    system.names = {"A", "B"};
    EXPECT_TRUE(capture.Closed());
    OpenCapture();
    EXPECT_EQ(system.lastOpened, 1);
    EXPECT_TRUE(system.stats->started);
    EXPECT_EQ(system.stats->blockSize, 65536);
    EXPECT_EQ(capture.BufferSize(), 65536);
    EXPECT_TRUE(capture.IsOpen());
    EXPECT_FALSE(capture.Closed());

    capture.Close();
    EXPECT_TRUE(capture.Closed());
    EXPECT_FALSE(capture.IsOpen());
    capture.Close();  // closing twice does nothing
    EXPECT_TRUE(capture.Closed());
}

TEST_F(CaptureFixture, FailedOpenLeavesNothingAndReportsWhy) {
    system.openError = "Device unavailable";
    EXPECT_FALSE(capture.Open(kCaptureFormat, system, 0, [this] { ++posts; }));
    EXPECT_EQ(capture.LastError(), "Device unavailable");
    EXPECT_FALSE(capture.IsOpen());
    EXPECT_FALSE(capture.Closed()) << "a failed open still counts as opened once";
    EXPECT_FALSE(capture.CopyNewest().has_value());
    capture.Close();
    EXPECT_TRUE(capture.Closed());
}

TEST_F(CaptureFixture, EachBlockIsNormalisedOnItsOwnAndAnnounced) {
    OpenCapture();
    struct Case { double peak; int wantPeak; };
    // Peak 300 -> gain 83 -> 24 900; 12 500 doubles; above 25 000 stays.
    for (const Case c : {Case{300, 24900}, Case{12500, 25000}, Case{12501, 12501}, Case{25001, 25001}, Case{0, 0}}) {
        auto block = test::Tone(32768, 1000.0, c.peak);
        ASSERT_EQ(Peak(block, block.size()), static_cast<int>(c.peak));
        const int before = posts;
        EXPECT_TRUE(system.device->Feed(block));
        EXPECT_EQ(posts, before + 1);
        EXPECT_EQ(Peak(block, block.size()), c.wantPeak) << "scaled in place, peak " << c.peak;
        EXPECT_EQ(Newest(), block) << "newest is the scaled copy, peak " << c.peak;
    }
}

TEST_F(CaptureFixture, PendingGrowsOnlyWhileRecording) {
    OpenCapture();
    auto block = test::Tone(32768, 1500.0, 20000.0);
    system.device->Feed(block);
    EXPECT_EQ(Fill(), 0);
    SetRecording(true);
    system.device->Feed(block);
    system.device->Feed(block);
    EXPECT_EQ(Fill(), 2 * 65536);
    SetRecording(false);
    system.device->Feed(block);
    EXPECT_EQ(Fill(), 2 * 65536);
    EXPECT_EQ(posts, 4) << "every taken block is announced, recording or not";
}

TEST_F(CaptureFixture, BlockThatWouldFillPendingExactlyIsDroppedWhole) {
    OpenCapture();
    SetRecording(true);
    auto block = test::Tone(32768, 1500.0, 20000.0);
    for (int i = 0; i < 11; ++i) ASSERT_TRUE(system.device->Feed(block));
    ASSERT_EQ(Fill(), 11 * 65536);  // 720 896
    std::vector<std::int16_t> newestBefore;
    newestBefore = Newest();
    const int postsBefore = posts;

    auto quiet = test::Tone(32768, 700.0, 100.0);
    const auto original = quiet;
    const std::int32_t exact = 768000 - 11 * 65536;  // 47 104: fills to exactly 768 000
    EXPECT_FALSE(system.device->Feed(quiet, exact));
    EXPECT_EQ(quiet, original) << "a dropped block is not scaled";
    EXPECT_EQ(posts, postsBefore) << "a dropped block is not announced";
    EXPECT_EQ(Fill(), 11 * 65536);
    EXPECT_EQ(Newest(), newestBefore) << "a dropped block is not kept as newest";
    // Also while not recording: the test looks at the fill, not the flag.
    SetRecording(false);
    EXPECT_FALSE(system.device->Feed(quiet, exact));
    EXPECT_EQ(posts, postsBefore);

    SetRecording(true);
    EXPECT_TRUE(system.device->Feed(quiet, exact - 2));
    EXPECT_EQ(Fill(), 768000 - 2);
    EXPECT_EQ(posts, postsBefore + 1);
}

TEST_F(CaptureFixture, EmptyOrNullBlocksAreIgnored) {
    OpenCapture();
    std::vector<std::int16_t> none;
    EXPECT_FALSE(system.device->Feed(none, 0));
    EXPECT_FALSE(capture.OnWaveInBlock(nullptr, 65536));
    EXPECT_EQ(posts, 0);
}

TEST_F(CaptureFixture, NoBlockIsTakenOnceClosed) {
    OpenCapture();
    auto block = test::Tone(32768, 1500.0, 100.0);
    capture.Close();
    const auto original = block;
    EXPECT_FALSE(capture.OnWaveInBlock(block.data(), 65536)) << "a late block after Close";
    EXPECT_EQ(block, original);
    EXPECT_EQ(posts, 0);
}

TEST_F(CaptureFixture, OpeningAgainClosesTheRunningDeviceFirst) {
    OpenCapture();
    auto first = system.stats;
    OpenCapture();
    EXPECT_TRUE(first->stopped);
    EXPECT_FALSE(system.stats->stopped);
    EXPECT_EQ(system.opens, 2);
    auto block = test::Tone(32768, 1500.0, 20000.0);
    EXPECT_TRUE(system.device->Feed(block));
    EXPECT_EQ(posts, 1);
}

TEST_F(CaptureFixture, RecordingFlagSurvivesCloseAndReopen) {
    OpenCapture();
    SetRecording(true);
    capture.Close();
    EXPECT_TRUE(capture.Recording());
    OpenCapture();
    auto block = test::Tone(32768, 1500.0, 20000.0);
    system.device->Feed(block);
    EXPECT_EQ(Fill(), 65536) << "a new open starts with an empty pending buffer, still recording";
}

}  // namespace
}  // namespace morvane
