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
#include "livetext/LiveTextReader.h"
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

// The live text fed by the processing loop after every block, with the
// loop's timeline and tone correlations: the transmission is found while it
// runs and its text comes frame by frame.
TEST(LiveFollow, LiveTextFindsAndFollowsTheTransmissionBlockByBlock) {
    const std::string sent = "RYRY CQ CQ DE MORVANE THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789";
    const std::string wav =
        (std::filesystem::temp_directory_path() / ("morvane-live-text-" + std::to_string(::getpid()) + ".wav")).string();
    WriteWav16Mono(wav, SynthesizeRtty(sent, RttySynthSettings{}));

    for (bool soft : {false, true}) {
        LiveTextOptions textOptions;
        textOptions.tone1Hz = 1500.0F;
        textOptions.tone2Hz = 2000.0F;
        textOptions.decider = LiveTextDeciderFor(soft);
        LiveTextReader reader(textOptions);
        std::vector<LiveTextPiece> pieces;
        std::size_t calls = 0, textPiecesBeforeEnd = 0;
        LiveRunOptions options;
        options.recording = wav;
        options.onStream = [&](const std::vector<std::int32_t>& levels, const LevelTimeline& timeline,
                               const std::vector<SoftWindow>& windows) {
            ++calls;
            reader.Extend(levels, timeline, windows, pieces);
            textPiecesBeforeEnd = pieces.size();
        };
        std::atomic<bool> interrupted{false};
        std::vector<SoftWindow> windows;
        LevelTimeline timeline;
        const std::vector<std::int32_t> levels = RunLiveCapture(std::make_unique<test::FakeSystem>(), options,
                                                                interrupted, {}, {&windows, &timeline});
        reader.Finish(levels, timeline, windows, pieces);

        EXPECT_GE(calls, 5u);
        EXPECT_GE(textPiecesBeforeEnd, 3u) << "the text came only at the end";
        ASSERT_FALSE(pieces.empty());
        EXPECT_EQ(pieces[0].kind, LiveTextPiece::Kind::Transmission);
        EXPECT_EQ(pieces[0].transmission.nominalBaud, 50.0);
        std::string text;
        for (std::size_t i = 1; i < pieces.size(); ++i) {
            EXPECT_EQ(pieces[i].kind, LiveTextPiece::Kind::Text);
            text += pieces[i].text;
        }
        EXPECT_EQ(text, sent);
    }
    std::filesystem::remove(wav);
}

}  // namespace
}  // namespace morvane
