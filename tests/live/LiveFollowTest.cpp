// Text that follows a live capture: a synthesised recording played as the
// card, its rows decoded after every processed block.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>

#include "decode/BitTransforms.h"
#include "decode/RowDecoder.h"
#include "decode/TextFollower.h"
#include "live/LiveRun.h"
#include "raster/BitExtraction.h"
#include "raster/BitRowStream.h"
#include "recording/RecordingWriter.h"
#include "support/FakeSound.h"
#include "synth/RttySynth.h"

namespace morvane {
namespace {

TEST(LiveFollow, TextGrowsBlockByBlockAndEndsAsTheWholeDecoding) {
    const std::string sent = "CQ CQ DE MORVANE THE QUICK BROWN FOX 0123456789";
    RttySynthSettings synth;
    synth.code = {TextCode::Ascii7, Parity::Even};
    synth.stopBits = 1.0;
    const std::string wav =
        (std::filesystem::temp_directory_path() / ("morvane-live-follow-" + std::to_string(::getpid()) + ".wav")).string();
    WriteWav16Mono(wav, SynthesizeRtty(sent, synth));

    RasterParams raster;  // 1 start, 7 data, parity, 1 stop: 10 bits of 12 levels
    raster.count = 120;
    raster.offset = 300;
    BitRowStream stream(raster);
    TextFollower follower(synth.code, false, true, 1);
    std::string rows, text;
    std::vector<std::size_t> textSizes, levelSizes;

    LiveRunOptions options;
    options.recording = wav;
    std::vector<std::int32_t> soFar;
    options.onLevels = [&](const std::int32_t* more, std::size_t count) {
        soFar.insert(soFar.end(), more, more + count);
        levelSizes.push_back(soFar.size());
        stream.Extend(soFar, rows);
        follower.Rows(rows, text);
        rows.clear();
        textSizes.push_back(text.size());
    };
    std::atomic<bool> interrupted{false};
    const std::vector<std::int32_t> levels = RunLiveCapture(std::make_unique<test::FakeSystem>(), options, interrupted);
    std::filesystem::remove(wav);
    stream.Finish(rows);
    follower.Rows(rows, text);

    // Called once a block, the stream so far each time.
    ASSERT_GE(levelSizes.size(), 5u);
    EXPECT_TRUE(std::is_sorted(levelSizes.begin(), levelSizes.end()));
    EXPECT_EQ(levelSizes.back(), levels.size());
    // The text came in several pieces, not at the end only.
    int pieces = 0;
    for (std::size_t i = 1; i < textSizes.size(); ++i) pieces += textSizes[i] > textSizes[i - 1];
    EXPECT_GE(pieces, 3);
    EXPECT_EQ(text.substr(0, sent.size()), sent);
    std::string whole;
    DecodeText(PrepareBits(ExtractBits(levels, raster), false, true, 1), 1, synth.code, whole);
    EXPECT_EQ(text, whole);
}

}  // namespace
}  // namespace morvane
