#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <string>
#include <vector>

#include "CaptureBlocks.h"
#include "livetext/LiveTextReader.h"
#include "livetext/LiveTextWorker.h"
#include "livetext/ReceivedPieces.h"
#include "receiver/Receiver.h"
#include "sitor/SitorSynth.h"
#include "synth/RttySynth.h"

namespace morvane {
namespace {

std::vector<std::int16_t> Signal(const std::string& text, std::uint64_t seed) {
    RttySynthSettings s;
    s.snrDb = 6.0;
    s.seed = seed;
    return SynthesizeRtty(text, s);
}

LiveTextOptions Options(bool soft) {
    LiveTextOptions options;
    options.tone1Hz = 1500.0F;
    options.tone2Hz = 2000.0F;
    options.decider = LiveTextDeciderFor(soft);
    return options;
}

// Pieces compared by what they say.
std::string Describe(const std::vector<LiveTextPiece>& pieces) {
    std::string out;
    for (const LiveTextPiece& p : pieces)
        out += p.kind == LiveTextPiece::Kind::Text
                   ? p.text
                   : "[" + std::to_string(p.transmission.firstSample) + " " + TransmissionHeader("", p.transmission) + "]";
    return out;
}

// The worker, fed block by block, finds exactly what the reader finds on
// the owner's thread, hard and soft; it says when pieces wait.
TEST(LiveTextWorker, FindsWhatTheReaderFinds) {
    const std::vector<std::int16_t> samples = Signal("RYRY CQ CQ DE MORVANE THE QUICK BROWN FOX 73", 3);
    for (const bool soft : {false, true}) {
        LiveTextReader reader(Options(soft));
        std::vector<LiveTextPiece> direct;
        std::atomic<int> readyCalls{0};
        LiveTextWorker worker([&] { ++readyCalls; });
        worker.Restart(Options(soft));
        std::vector<LiveTextPiece> viaWorker;
        const auto feed = [&](const std::vector<std::int32_t>& levels, const LevelTimeline& timeline,
                              const std::vector<SoftWindow>& windows) {
            reader.Extend(levels, timeline, windows, direct);
            worker.Feed(levels, timeline, windows);
            // Taken while the worker may still be busy: nothing is lost or doubled.
            for (LiveTextPiece& p : worker.Take()) viaWorker.push_back(std::move(p));
        };
        test::CaptureBlocks(samples, feed,
                            [&](const std::vector<std::int32_t>& levels, const LevelTimeline& timeline,
                                const std::vector<SoftWindow>& windows) {
                                reader.Finish(levels, timeline, windows, direct);
                                worker.Finish();
                            });
        worker.Drain();
        for (LiveTextPiece& p : worker.Take()) viaWorker.push_back(std::move(p));
        EXPECT_EQ(Describe(viaWorker), Describe(direct)) << (soft ? "soft" : "hard");
        EXPECT_NE(Describe(direct).find("THE QUICK BROWN FOX"), std::string::npos) << Describe(direct);
        EXPECT_GT(readyCalls.load(), 0);
        EXPECT_EQ(worker.Error(), "");
    }
}

// A restart drops what the earlier stream still had waiting or on its way,
// and a stream that shrinks without one is refused.
TEST(LiveTextWorker, RestartStartsOverAndShrinkingIsRefused) {
    const std::vector<std::int16_t> first = Signal("RYRY RYRY FIRST STREAM FIRST STREAM", 4);
    const std::vector<std::int16_t> second = Signal("CQ CQ SECOND STREAM 73", 5);
    LiveTextWorker worker;
    worker.Restart(Options(false));
    test::CaptureBlocks(
        first,
        [&](const std::vector<std::int32_t>& levels, const LevelTimeline& timeline, const std::vector<SoftWindow>&) {
            worker.Feed(levels, timeline, {});
        },
        {});
    worker.Restart(Options(false));
    EXPECT_EQ(worker.Fed(), 0u);
    std::size_t blocks = 0;
    test::CaptureBlocks(
        second,
        [&](const std::vector<std::int32_t>& levels, const LevelTimeline& timeline, const std::vector<SoftWindow>&) {
            worker.Feed(levels, timeline, {});
            ++blocks;
        },
        [&](const std::vector<std::int32_t>& levels, const LevelTimeline& timeline, const std::vector<SoftWindow>&) {
            EXPECT_EQ(worker.Fed(), levels.size());
            // The same stream cut short: refused, nothing handed on.
            std::vector<std::int32_t> shorter(levels.begin(), levels.end() - 1);
            EXPECT_THROW(worker.Feed(shorter, timeline, {}), std::invalid_argument);
            worker.Finish();
        });
    worker.Drain();
    const std::string text = Describe(worker.Take());
    EXPECT_NE(text.find("SECOND STREAM 73"), std::string::npos) << text;
    EXPECT_EQ(text.find("FIRST"), std::string::npos) << text;
    EXPECT_GT(blocks, 3u);
}

// Hands `samples` to the worker in device blocks, taking what is found as it goes.
void FeedBlocks(LiveTextWorker& worker, const std::vector<std::int16_t>& samples, std::vector<LiveTextPiece>& found) {
    constexpr std::size_t kBlock = 32768;
    for (std::size_t at = 0; at < samples.size(); at += kBlock) {
        worker.FeedSamples(samples.data() + at, std::min(kBlock, samples.size() - at));
        for (LiveTextPiece& p : worker.Take()) found.push_back(std::move(p));
    }
}

// Reading samples, the worker gives what the receiver gives on the whole
// sound at once, its transmissions placed on the stream's time line and
// their headers naming the quality; a restart drops the stream before, and
// the level stream's words are no use to it (nor its words to the levels).
TEST(LiveTextWorker, ReadsSamplesAsTheReceiverDoes) {
    const std::vector<std::int16_t> first = Signal("RYRY RYRY FIRST STREAM FIRST STREAM", 4);
    const std::vector<std::int16_t> samples = Signal("RYRY CQ CQ DE MORVANE THE QUICK BROWN FOX 73", 3);
    constexpr std::int64_t kStart = 123456;  // where the capture stood when the reading began
    Receiver receiver(ReceiverOptions{});
    receiver.Push(samples.data(), samples.size());
    receiver.Finish();
    std::vector<LiveTextPiece> direct;
    AppendReceived(receiver.Take(), kStart, direct);

    LiveTextWorker worker;
    EXPECT_THROW(worker.FeedSamples(samples.data(), 10), std::logic_error);  // the levels are read by default
    worker.RestartOnSamples({}, 0);
    std::vector<LiveTextPiece> found;
    FeedBlocks(worker, first, found);
    worker.RestartOnSamples({}, kStart);
    EXPECT_TRUE(worker.ReadsSamples());
    found.clear();
    worker.Feed({1, 2, 3}, LevelTimeline(), {});  // ignored while samples are read
    FeedBlocks(worker, samples, found);
    EXPECT_EQ(worker.FedSamples(), static_cast<std::int64_t>(samples.size()));
    worker.Finish();
    worker.Drain();
    for (LiveTextPiece& p : worker.Take()) found.push_back(std::move(p));
    EXPECT_EQ(worker.Error(), "");
    const std::string text = Describe(found);
    EXPECT_EQ(text, Describe(direct));
    EXPECT_NE(text.find("THE QUICK BROWN FOX"), std::string::npos) << text;
    EXPECT_EQ(text.find("FIRST"), std::string::npos) << text;
    ASSERT_FALSE(found.empty());
    ASSERT_EQ(found.front().kind, LiveTextPiece::Kind::Transmission);
    EXPECT_GT(found.front().transmission.firstSample, kStart);
    EXPECT_NE(text.find(" Hz \u00b7 Baudot \u00b7 quality "), std::string::npos) << text;
}

// Noise alone, read as samples: nothing at all.
TEST(LiveTextWorker, NoiseAloneReadAsSamplesGivesNothing) {
    std::mt19937 random(11);
    std::normal_distribution<double> noise(0.0, 5000.0);
    std::vector<std::int16_t> samples(48000 * 20);
    for (std::int16_t& x : samples) x = static_cast<std::int16_t>(noise(random));
    LiveTextWorker worker;
    worker.RestartOnSamples({});
    std::vector<LiveTextPiece> found;
    FeedBlocks(worker, samples, found);
    worker.Finish();
    worker.Drain();
    for (LiveTextPiece& p : worker.Take()) found.push_back(std::move(p));
    EXPECT_EQ(Describe(found), "");
    EXPECT_EQ(worker.Error(), "");
}

// SITOR-B read as samples: every run and every NAVTEX message under a
// header of its own, the message's text after it with its lines ended by
// LF, on the stream's time line; noise gives nothing.
TEST(LiveTextWorker, ReadsSitorBWithEveryMessageUnderItsHeader) {
    sitor::SitorSynthSettings s;
    s.snrDb = 6.0;
    const std::string text = sitor::NavtexText("EA01", "GALE WARNING SEA AREA 12") + "ZCZC EE02\r\nFORECAST FAIR\r\nNNNN";
    const std::vector<std::int16_t> samples = sitor::SynthesizeSitorB(text, s);
    constexpr std::int64_t kStart = 48000 * 3600;  // an hour into the capture
    LiveTextWorker worker;
    worker.RestartOnSitor(kStart);
    EXPECT_TRUE(worker.ReadsSamples());
    EXPECT_TRUE(worker.ReadsSitor());
    std::vector<LiveTextPiece> found;
    FeedBlocks(worker, samples, found);
    worker.Finish();
    worker.Drain();
    for (LiveTextPiece& p : worker.Take()) found.push_back(std::move(p));
    EXPECT_EQ(worker.Error(), "");
    const std::string described = Describe(found);
    ASSERT_GE(found.size(), 4u) << described;
    EXPECT_EQ(found[0].kind, LiveTextPiece::Kind::Transmission);
    EXPECT_EQ(TransmissionHeader("", found[0].transmission).find(" \u00b7 100 Bd \u00b7 "), 0u) << described;
    EXPECT_NE(described.find(" \u00b7 SITOR-B \u00b7 mark (B) on the high tone]"), std::string::npos) << described;
    EXPECT_NE(described.find(" \u00b7 NAVTEX EA01 \u00b7 station E \u00b7 navigational warning \u00b7 number 01]ZCZC EA01\nGALE WARNING SEA AREA 12\nNNNN\n"),
              std::string::npos) << described;
    EXPECT_NE(described.find(" \u00b7 NAVTEX EE02 \u00b7 station E \u00b7 meteorological forecast \u00b7 number 02]ZCZC EE02\nFORECAST FAIR\nNNNN"),
              std::string::npos) << described;
    EXPECT_EQ(described.find('\r'), std::string::npos);
    for (const LiveTextPiece& p : found)
        if (p.kind == LiveTextPiece::Kind::Transmission) {
            EXPECT_GT(p.transmission.firstSample, kStart);
            EXPECT_LT(p.transmission.firstSample, kStart + static_cast<std::int64_t>(samples.size()));
        }

    // Noise alone: nothing; a restart on the receiver reads samples again, not SITOR-B.
    std::mt19937 random(5);
    std::normal_distribution<double> noise(0.0, 5000.0);
    std::vector<std::int16_t> hiss(48000 * 40);
    for (std::int16_t& x : hiss) x = static_cast<std::int16_t>(noise(random));
    worker.RestartOnSitor();
    std::vector<LiveTextPiece> none;
    FeedBlocks(worker, hiss, none);
    worker.Finish();
    worker.Drain();
    for (LiveTextPiece& p : worker.Take()) none.push_back(std::move(p));
    EXPECT_EQ(Describe(none), "");
    worker.RestartOnSamples({});
    EXPECT_FALSE(worker.ReadsSitor());
}

}  // namespace
}  // namespace morvane
