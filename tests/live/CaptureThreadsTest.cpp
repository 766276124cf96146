// The capture device and the processing loop across threads: blocks arriving
// on a device thread while the owner processes, captures and closes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "support/FakeSound.h"
#include "capture/CaptureFormat.h"
#include "capture/CommandQueue.h"
#include "capture/SoundLoss.h"
#include "live/LiveRun.h"
#include "live/ProcessingLoop.h"
#include "recording/RecordingPipeline.h"
#include "recording/RecordingReader.h"
#include "recording/RecordingWriter.h"

namespace morvane {
namespace {

using namespace std::chrono_literals;

TEST(CaptureThreads, CloseWhileBlocksArriveHandlesNoLateBlock) {
    for (int round = 0; round < 20; ++round) {
        CommandQueue queue;
        auto fake = std::make_unique<test::FakeSystem>();
        test::FakeSystem* system = fake.get();
        system->names = {"Fast"};
        const auto tone = test::Tone(32768, 1500.0, 9000.0);
        system->produce = [&tone](std::vector<std::int16_t>& block) {
            block = tone;
            return static_cast<std::int32_t>(block.size() * 2);
        };
        ProcessingHooks hooks;
        hooks.postProcess = [&queue] { queue.Post(LoopCommand::Process); };
        ProcessingLoop loop(std::move(fake), hooks);
        loop.SetFallbackRecording("");
        const std::vector<std::int32_t>& levels = loop.Stream().levels;
        loop.StartCapture();
        loop.Start({"/s0"}, 1500.0f, 2000.0f);
        ASSERT_TRUE(loop.IsOpen());

        // Process a few blocks while the device thread keeps delivering.
        for (int handled = 0; handled < 3 + round % 4;) {
            const auto command = queue.Next(5s);
            ASSERT_TRUE(command.has_value()) << "no block within 5 s";
            loop.Process();
            ++handled;
        }
        if (round % 2 == 1) {
            EXPECT_TRUE(loop.StopCapture());
        }
        loop.Stop();
        ASSERT_TRUE(system->stats->stopped);
        const int announcedAtClose = system->stats->announced;
        const int deliveredAtClose = system->stats->delivered;
        EXPECT_GT(announcedAtClose, 0);
        // Anything still queued finds the device closed and does nothing.
        const auto before = levels;
        while (queue.Next(0ms)) loop.Process();
        EXPECT_EQ(levels, before);
        EXPECT_EQ(system->stats->delivered, deliveredAtClose) << "no block after Close";
    }
}

TEST(CaptureThreads, CaptureTogglesWhileBlocksArrive) {
    CommandQueue queue;
    auto fake = std::make_unique<test::FakeSystem>();
    test::FakeSystem* system = fake.get();
    system->names = {"Fast"};
    const auto tone = test::Tone(32768, 1500.0, 9000.0);  // whole cycles: blocks join seamlessly
    system->produce = [&tone](std::vector<std::int16_t>& block) {
        std::this_thread::sleep_for(1ms);
        block = tone;
        return static_cast<std::int32_t>(block.size() * 2);
    };
    int redraws = 0;
    ProcessingHooks hooks;
    hooks.postProcess = [&queue] { queue.Post(LoopCommand::Process); };
    hooks.redrawResults = [&redraws] { ++redraws; };
    ProcessingLoop loop(std::move(fake), hooks);
    loop.SetFallbackRecording("");
    const std::vector<std::int32_t>& levels = loop.Stream().levels;
    loop.Start({}, 1500.0f, 2000.0f);
    for (int i = 0; i < 40; ++i) {
        if (i % 10 == 0) loop.StartCapture();
        if (i % 10 == 7) loop.StopCapture();
        ASSERT_TRUE(queue.Next(5s).has_value());
        loop.Process();
        for (std::int32_t level : levels) ASSERT_GT(level, 128) << "tone 1 alone";
    }
    EXPECT_GT(redraws, 0);
    loop.Stop();
    EXPECT_TRUE(system->stats->stopped);
}

class TempFile {
public:
    explicit TempFile(const char* name)
        : path((std::filesystem::temp_directory_path() / (std::to_string(::getpid()) + "-" + name)).string()) {}
    ~TempFile() { std::filesystem::remove(path); }
    std::string path;
};

// The levels of a recording read offline with tones `low` and `high` (Hz).
std::vector<std::int32_t> OfflineLevels(const std::string& path, float low, float high) {
    RecordingReader reader(path);
    DemodSettings settings;
    settings.tone1Hz = low;
    settings.tone2Hz = high;
    return RecordingLevels(reader, settings);
}

/// Plays a recording through the controller as the command-line tool does and
/// returns the level stream.
std::vector<std::int32_t> PlayThroughLoop(const std::string& path, float low, float high) {
    CommandQueue queue;
    ProcessingHooks hooks;
    hooks.postProcess = [&queue] { queue.Post(LoopCommand::Process); };
    hooks.inputEnded = [&queue] { queue.Post(LoopCommand::InputEnded); };
    ProcessingLoop loop(std::make_unique<test::FakeSystem>(), hooks);
    loop.UseRecording(path, RecordingPace::AfterProcess);
    const std::vector<std::int32_t>& levels = loop.Stream().levels;
    loop.StartCapture();
    EXPECT_EQ(loop.Start({}, low, high), "Playing \"" + std::filesystem::path(path).filename().string() + "\"");
    for (;;) {
        const auto command = queue.Next(10s);
        if (!command) {
            ADD_FAILURE() << "the recording stalled";
            break;
        }
        if (*command == LoopCommand::InputEnded) break;
        loop.Process();
    }
    loop.Stop();
    return levels;
}

TEST(CaptureThreads, RecordingPlayedAsCardGivesTheOfflineLevels) {
    // Three and a half blocks of alternating tones, with a quiet stretch so
    // that the per-block gains differ.
    std::vector<std::int16_t> signal;
    for (int segment = 0; signal.size() < 3 * 32768 + 16000; ++segment) {
        const auto piece = test::Tone(960 * (1 + segment % 3), segment % 2 ? 2000.0 : 1500.0,
                                      segment > 40 && segment < 60 ? 900.0 : 15000.0, signal.size());
        signal.insert(signal.end(), piece.begin(), piece.end());
    }
    TempFile wav("played.wav");
    WriteWav16Mono(wav.path, signal);

    const std::vector<std::int32_t> offline = OfflineLevels(wav.path, 1500.0f, 2000.0f);
    ASSERT_GT(offline.size(), 1000u);

    EXPECT_EQ(PlayThroughLoop(wav.path, 1500.0f, 2000.0f), offline);
}

// A recording read while the card captures: the card's capture stops, the
// recording's levels are the offline ones, and the card comes back afterwards.
TEST(CaptureThreads, ReadingARecordingReplacesTheCardForItsLength) {
    std::vector<std::int16_t> signal;
    for (int segment = 0; signal.size() < 2 * 32768 + 9000; ++segment) {
        const auto piece = test::Tone(960 * (1 + segment % 2), segment % 2 ? 2000.0 : 1500.0, 12000.0, signal.size());
        signal.insert(signal.end(), piece.begin(), piece.end());
    }
    TempFile wav("read.wav");
    WriteWav16Mono(wav.path, signal);
    const std::vector<std::int32_t> offline = OfflineLevels(wav.path, 1500.0f, 2000.0f);

    CommandQueue queue;
    ProcessingHooks hooks;
    hooks.postProcess = [&queue] { queue.Post(LoopCommand::Process); };
    hooks.inputEnded = [&queue] { queue.Post(LoopCommand::InputEnded); };
    auto fake = std::make_unique<test::FakeSystem>();
    test::FakeSystem* card = fake.get();
    card->names = {"Mic"};
    ProcessingLoop loop(std::move(fake), hooks);
    const std::vector<std::int32_t>& levels = loop.Stream().levels;
    loop.Start({}, 1500.0f, 2000.0f);
    ASSERT_EQ(card->opens, 1);
    loop.StartCapture();
    loop.AdoptLevels({1, 2, 3});  // as if the card had captured something
    const std::uint64_t generation = loop.Generation();

    std::string error;
    ASSERT_TRUE(loop.ReadRecording(wav.path, RecordingPace::AfterProcess, error)) << error;
    EXPECT_TRUE(loop.Reading());
    EXPECT_TRUE(loop.Recording());
    EXPECT_NE(loop.Generation(), generation);
    EXPECT_EQ(loop.Progress()->expected.load(), static_cast<std::int64_t>(signal.size()));
    // Every block of the reading processed, up to its announced end.
    const auto readToTheEnd = [&] {
        for (;;) {
            const auto command = queue.Next(10s);
            ASSERT_TRUE(command.has_value()) << "the reading stalled";
            if (*command == LoopCommand::InputEnded) return;
            loop.Process();
        }
    };
    ASSERT_NO_FATAL_FAILURE(readToTheEnd());
    EXPECT_EQ(levels, offline);
    EXPECT_EQ(loop.Progress()->delivered.load(), static_cast<std::int64_t>(signal.size()));
    EXPECT_TRUE(loop.Progress()->finished.load());

    EXPECT_TRUE(loop.FinishReading());
    EXPECT_FALSE(loop.Reading());
    EXPECT_FALSE(loop.Recording());
    EXPECT_TRUE(loop.IsOpen());
    EXPECT_EQ(card->opens, 2);  // the card again
    EXPECT_FALSE(loop.FinishReading());

    // Read again: a stream of its own, with its own timeline and soft stream
    // (those of the first reading must not carry over).
    ASSERT_TRUE(loop.ReadRecording(wav.path, RecordingPace::AfterProcess, error)) << error;
    ASSERT_NO_FATAL_FAILURE(readToTheEnd());
    EXPECT_EQ(levels, offline);
    EXPECT_EQ(loop.Stream().timeline.LevelCount(), static_cast<std::int64_t>(levels.size()));
    EXPECT_EQ(loop.Stream().soft.size(), levels.size());
    EXPECT_TRUE(loop.FinishReading());

    // A recording that cannot be read says why and leaves the card running.
    ASSERT_FALSE(loop.ReadRecording("/nonexistent/take.wav", RecordingPace::AfterProcess, error));
    EXPECT_EQ(error.rfind("cannot read", 0), 0u) << error;
    EXPECT_FALSE(loop.Reading());
    EXPECT_FALSE(loop.Recording());
    EXPECT_TRUE(loop.IsOpen());
    loop.Stop();
}

TEST(CaptureThreads, LiveRunOfARecordingGivesTheOfflineLevels) {
    std::vector<std::int16_t> signal;
    for (int segment = 0; signal.size() < 100000; ++segment) {
        const auto piece = test::Tone(720, segment % 3 ? 1275.0 : 1725.0, 12000.0, signal.size());
        signal.insert(signal.end(), piece.begin(), piece.end());
    }
    TempFile wav("liverun.wav");
    WriteWav16Mono(wav.path, signal);
    LiveRunOptions options;
    options.recording = wav.path;
    options.demod.tone1Hz = 1275.5f;  // fractions are kept
    options.demod.tone2Hz = 1725.0f;
    const auto offline = OfflineLevels(wav.path, options.demod.tone1Hz, options.demod.tone2Hz);
    std::atomic<bool> interrupted{false};
    std::string status;
    EXPECT_EQ(RunLiveCapture(std::make_unique<test::FakeSystem>(), options, interrupted,
                             [&status](const std::string& s) { status = s; }),
              offline);
    EXPECT_EQ(status, "Playing \"" + std::filesystem::path(wav.path).filename().string() + "\"");
}

// A run that wants only the samples gets the recording's own, each once and
// in order (its quiet blocks scaled on the way in and back), and keeps no
// levels.
TEST(CaptureThreads, LiveRunHandsOnTheSamplesAsTheyCame) {
    std::vector<std::int16_t> signal;
    for (int segment = 0; signal.size() < 100000; ++segment) {
        const auto piece = test::Tone(720, segment % 3 ? 1275.0 : 1725.0, segment < 60 ? 700.0 : 26000.0, signal.size());
        signal.insert(signal.end(), piece.begin(), piece.end());
    }
    TempFile wav("samples.wav");
    WriteWav16Mono(wav.path, signal);
    LiveRunOptions options;
    options.recording = wav.path;
    options.keepLevels = false;
    std::vector<std::int16_t> got;
    options.onSamples = [&](const std::int16_t* samples, std::size_t count, std::int64_t first) {
        EXPECT_EQ(first, static_cast<std::int64_t>(got.size()));
        got.insert(got.end(), samples, samples + count);
    };
    std::atomic<bool> interrupted{false};
    EXPECT_TRUE(RunLiveCapture(std::make_unique<test::FakeSystem>(), options, interrupted).empty());
    EXPECT_EQ(got, signal);
}

// With the tones still to be found, every block goes to the search until it
// names them; capture starts with them from the next block, so the levels
// are those of the recording's rest read offline.
TEST(CaptureThreads, LiveRunFindsTheTonesFirst) {
    std::vector<std::int16_t> signal;
    for (int segment = 0; signal.size() < 200000; ++segment) {
        const auto piece = test::Tone(720, segment % 3 ? 1275.0 : 1725.0, 12000.0, signal.size());
        signal.insert(signal.end(), piece.begin(), piece.end());
    }
    constexpr std::size_t kBlock = kDeviceBlockBytes / 2;
    TempFile wav("search.wav");
    WriteWav16Mono(wav.path, signal);
    TempFile rest("rest.wav");
    WriteWav16Mono(rest.path, std::vector<std::int16_t>(signal.begin() + 2 * kBlock, signal.end()));
    DemodSettings right;
    right.tone1Hz = 1275.5f;
    right.tone2Hz = 1725.0f;
    const auto offline = OfflineLevels(rest.path, right.tone1Hz, right.tone2Hz);
    ASSERT_GT(offline.size(), 500u);

    LiveRunOptions options;
    options.recording = wav.path;
    options.demod.tone1Hz = 1000.0f;  // not the sender's
    options.demod.tone2Hz = 1100.0f;
    std::vector<std::size_t> seen;
    options.findTones = [&](const std::vector<std::int16_t>& block, DemodSettings& demod) {
        seen.push_back(block.size());
        EXPECT_EQ(demod.tone1Hz, 1000.0f);
        if (seen.size() < 2) return false;
        demod.tone1Hz = right.tone1Hz;
        demod.tone2Hz = right.tone2Hz;
        return true;
    };
    std::atomic<bool> interrupted{false};
    EXPECT_EQ(RunLiveCapture(std::make_unique<test::FakeSystem>(), options, interrupted), offline);
    EXPECT_EQ(seen, (std::vector<std::size_t>{kBlock, kBlock}));
}

TEST(CaptureThreads, LiveRunStopsOnTimeAndOnInterrupt) {
    const auto tone = test::Tone(32768, 1500.0, 9000.0);
    std::atomic<bool> interrupted{false};
    std::atomic<int> interruptAfter{-1};  // blocks; -1: never
    auto makeSystem = [&] {
        auto fake = std::make_unique<test::FakeSystem>();
        fake->names = {"Card"};
        fake->produce = [&, produced = 0](std::vector<std::int16_t>& block) mutable {
            std::this_thread::sleep_for(5ms);
            if (++produced == interruptAfter) interrupted = true;  // as Ctrl-C would
            block = tone;
            return static_cast<std::int32_t>(block.size() * 2);
        };
        return fake;
    };
    LiveRunOptions options;
    options.arguments = {"/s0"};
    std::string status;
    const auto start = std::chrono::steady_clock::now();
    options.seconds = 0.5;
    const auto timed = RunLiveCapture(makeSystem(), options, interrupted, [&status](const std::string& s) { status = s; });
    EXPECT_EQ(status, "Card \"Card\" selected");
    EXPECT_GT(timed.size(), 400u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);

    // Until interrupted: the blocks announced before the interrupt all count.
    options.seconds = 0.0;
    interruptAfter = 4;
    const auto untilInterrupt = RunLiveCapture(makeSystem(), options, interrupted);
    EXPECT_GE(untilInterrupt.size(), 3u * 400u);
}

TEST(CaptureThreads, StalledConsumerSeesTheDroppedBlocksCounted) {
    // The card delivers 20 blocks while the processing loop is held up after
    // its first: the pending buffer holds fewer than 12, so blocks are
    // dropped, and the run says how many.
    constexpr int kBlocks = 20;
    const auto tone = test::Tone(32768, 1500.0, 9000.0);
    std::atomic<int> produced{0};
    std::atomic<bool> atGate{false}, released{false}, interrupted{false}, stalled{false};
    auto fake = std::make_unique<test::FakeSystem>();
    test::FakeSystem* system = fake.get();
    fake->names = {"Card"};
    fake->produce = [&](std::vector<std::int16_t>& block) {
        // The second block comes only once the loop has handled the first and stalled.
        if (produced == 1)
            while (!stalled) std::this_thread::sleep_for(1ms);
        if (produced == kBlocks) {
            atGate = true;  // the 20th block has been handed over
            while (!released) std::this_thread::sleep_for(1ms);
        }
        if (produced >= kBlocks) {  // the card has nothing more: empty deliveries, no loss
            std::this_thread::sleep_for(1ms);
            return std::int32_t{0};
        }
        ++produced;
        block = tone;
        return static_cast<std::int32_t>(block.size() * 2);
    };
    LiveRunOptions options;
    options.arguments = {"/s0"};
    std::shared_ptr<test::FakeDeviceStats> stats;  // outlives the system, which the run owns
    options.onLevels = [&](const std::int32_t*, std::size_t) {
        if (stalled) return;
        stats = system->stats;
        stalled = true;
        // The consumer is stalled until the card has delivered every block.
        while (!atGate) std::this_thread::sleep_for(1ms);
        interrupted = true;
        released = true;
    };
    std::vector<std::string> statuses;
    const auto levels =
        RunLiveCapture(std::move(fake), options, interrupted, [&](const std::string& s) { statuses.push_back(s); });
    ASSERT_NE(stats, nullptr);
    const int announced = stats->announced;
    const int dropped = kBlocks - announced;
    // After the first block, 11 fit the pending buffer while the loop is
    // stalled (11 × 65 536 bytes and the few left over stay below 768 000).
    EXPECT_EQ(dropped, kBlocks - 1 - 11);
    ASSERT_EQ(statuses.size(), 2u);
    char expected[80];
    std::snprintf(expected, sizeof expected, "%d blocks dropped (%.1f s of sound lost)", dropped, dropped * 32768.0 / 48000.0);
    EXPECT_EQ(statuses[1], expected);
    // What was taken is all there: about 409.6 levels a block.
    EXPECT_GE(levels.size(), static_cast<std::size_t>(announced) * 409);
    EXPECT_LE(levels.size(), static_cast<std::size_t>(announced) * 410);
}

TEST(SoundLoss, TextSaysHowMuchWasLost) {
    EXPECT_EQ(SoundLossText({}, 32768), "");
    EXPECT_EQ(SoundLossText({1, 0}, 32768), "1 block dropped (0.7 s of sound lost)");
    EXPECT_EQ(SoundLossText({3, 0}, 32768), "3 blocks dropped (2.0 s of sound lost)");
    EXPECT_EQ(SoundLossText({0, 2}, 32768), "0 blocks dropped (0.0 s of sound lost); the sound card overran 2 times");
}

TEST(CaptureThreads, LiveRunWithoutInputFails) {
    std::atomic<bool> interrupted{false};
    LiveRunOptions options;
    try {
        RunLiveCapture(std::make_unique<test::FakeSystem>(), options, interrupted);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "No sound input found");
    }
    auto failing = std::make_unique<test::FakeSystem>();
    failing->names = {"Busy card"};
    failing->openError = "Device or resource busy";
    options.arguments = {"/s0"};
    try {
        RunLiveCapture(std::move(failing), options, interrupted);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Cannot open card \"Busy card\": Device or resource busy");
    }
}

TEST(CaptureThreads, EmptyRecordingEndsAtOnce) {
    TempFile wav("empty.wav");
    WriteWav16Mono(wav.path, {});
    EXPECT_TRUE(PlayThroughLoop(wav.path, 1500.0f, 2000.0f).empty());
}

}  // namespace
}  // namespace morvane
