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

}  // namespace
}  // namespace morvane
