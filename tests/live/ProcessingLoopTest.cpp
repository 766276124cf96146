#include <gtest/gtest.h>

#include <unistd.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "support/FakeSound.h"
#include "capture/CaptureBuffers.h"
#include "live/CaptureTones.h"
#include "live/ProcessingLoop.h"
#include "live/StatusTexts.h"
#include "recording/RecordingWriter.h"

namespace morvane {
namespace {

constexpr const char* kHint = "Hint: use '/s0' .. '/s5' argument to change sound card";

class LoopFixture : public ::testing::Test {
protected:
    LoopFixture() {
        auto fake = std::make_unique<test::FakeSystem>();
        system = fake.get();
        system->names = {"Mic", "Line"};
        ProcessingHooks hooks;
        hooks.postProcess = [this] { ++posts; };
        hooks.updateSpectrum = [this](const std::vector<std::int16_t>& block, std::int32_t bytes) {
            spectrumBlocks.push_back(block);
            spectrumBytes = bytes;
        };
        hooks.redrawResults = [this] { ++redraws; };
        loop = std::make_unique<ProcessingLoop>(std::move(fake), hooks);
        loop->SetFallbackRecording("");
    }
    test::FakeSystem* system = nullptr;
    std::unique_ptr<ProcessingLoop> loop;
    // The loop's level stream.
    const std::vector<std::int32_t>& Levels() const { return loop->Stream().levels; }
    int posts = 0;
    int redraws = 0;
    std::vector<std::vector<std::int16_t>> spectrumBlocks;
    std::int32_t spectrumBytes = 0;
};

TEST_F(LoopFixture, StartPicksCardSetsTonesAndEmptiesLevels) {
    loop->AdoptLevels({7, 8, 9});
    EXPECT_EQ(loop->Start({"/s1"}, 1275.0f, 2125.0f), "Card \"Line\" selected");
    EXPECT_TRUE(Levels().empty());
    EXPECT_EQ(loop->Settings().tone1Hz, 1275.0f);
    EXPECT_EQ(loop->Settings().tone2Hz, 2125.0f);
    EXPECT_EQ(loop->Settings().referenceBaud, 50.0f);
    EXPECT_EQ(system->opens, 1);
    EXPECT_EQ(system->lastOpened, 1);
    EXPECT_TRUE(loop->IsOpen());
}

TEST_F(LoopFixture, StartWhileOpenUpdatesButDoesNotReopen) {
    loop->Start({"/s0"}, 1500.0f, 2000.0f);
    loop->AdoptLevels({1, 2, 3});
    EXPECT_EQ(loop->Start({}, 0.0f, -800.0f), kHint);
    EXPECT_EQ(system->opens, 1);
    EXPECT_TRUE(Levels().empty());
    EXPECT_EQ(loop->Settings().tone1Hz, 0.0f);
    EXPECT_EQ(loop->Settings().tone2Hz, -800.0f);
}

struct FailedOpenCase {
    const char* name;
    std::vector<std::string> arguments;
    bool defaultHasName;
    const char* error;
    const char* status;  // what Start says, the first time and every time after
};

class FailedOpen : public LoopFixture, public ::testing::WithParamInterface<FailedOpenCase> {};

TEST_P(FailedOpen, SaysSoAndIsNotRetried) {
    const FailedOpenCase& c = GetParam();
    system->openError = c.error;
    if (!c.defaultHasName) system->defaultName.reset();
    EXPECT_EQ(loop->Start(c.arguments, 1500.0f, 2000.0f), c.status);
    EXPECT_FALSE(loop->IsOpen());
    // Not retried, and still not reported as selected.
    EXPECT_EQ(loop->Start({"/s1"}, 1500.0f, 2000.0f), c.status);
    EXPECT_EQ(system->opens, 1);
    loop->Process();  // no device: nothing happens
    EXPECT_TRUE(spectrumBlocks.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cards, FailedOpen,
    ::testing::Values(FailedOpenCase{"NamedCard", {"/s0"}, true, "Device unavailable",
                                     "Cannot open card \"Mic\": Device unavailable"},
                      FailedOpenCase{"UnnamedDefault", {}, false, "Invalid device",
                                     "Cannot open sound card '-1': Invalid device"}),
    [](const ::testing::TestParamInfo<FailedOpenCase>& info) { return std::string(info.param.name); });

TEST_F(LoopFixture, ProcessWhileNotRecordingOnlyFeedsSpectrum) {
    loop->Start({}, 1500.0f, 2000.0f);
    auto block = test::Tone(32768, 1500.0, 300.0);
    ASSERT_TRUE(system->device->Feed(block));
    EXPECT_EQ(posts, 1);
    loop->Process();
    ASSERT_EQ(spectrumBlocks.size(), 1u);
    EXPECT_EQ(spectrumBlocks[0], block) << "the spectrum gets the scaled newest block";
    EXPECT_EQ(spectrumBytes, 65536);
    EXPECT_EQ(redraws, 0);
    EXPECT_TRUE(Levels().empty());
    EXPECT_EQ(system->stats->handledNotices, 1);
}

TEST_F(LoopFixture, ProcessWhileRecordingDemodulatesAndRedraws) {
    loop->Start({}, 1500.0f, 2000.0f);
    loop->StartCapture();
    auto block = test::Tone(32768, 1500.0, 20000.0);
    system->device->Feed(block);
    loop->Process();
    EXPECT_EQ(redraws, 1);
    ASSERT_GE(Levels().size(), 400u);  // 32 768 samples, 80 per level, less the start search
    for (std::int32_t level : Levels()) ASSERT_GT(level, 128) << "tone 1 alone";
    // A second Process for the same block finds only the leftover: nothing new.
    const auto first = Levels();
    loop->Process();
    EXPECT_EQ(Levels(), first);
    EXPECT_EQ(redraws, 2);
    EXPECT_EQ(spectrumBlocks.size(), 2u);
}

TEST_F(LoopFixture, LeftoversCarryIntoTheNextRecording) {
    loop->Start({}, 1500.0f, 2000.0f);
    const auto a = test::Tone(32768, 1500.0, 20000.0);
    const auto b = test::Tone(32768, 2000.0, 9000.0);
    const auto c = test::Tone(30000, 2000.0, 20000.0, 7);

    // What the buffers give for: a recorded, b heard while not recording, c recorded.
    CaptureBuffers reference;
    std::vector<std::int32_t> want;
    auto ra = a, rb = b, rc = c;
    reference.SetRecording(true);
    reference.HandleBlock(ra.data(), 65536);
    reference.DemodulatePending(loop->Settings(), kCaptureFormat, want);
    ASSERT_GT(reference.Fill(), 0) << "the fixture needs a leftover";
    reference.SetRecording(false);
    reference.HandleBlock(rb.data(), 65536);
    reference.SetRecording(true);
    want.clear();
    reference.HandleBlock(rc.data(), 60000);
    reference.DemodulatePending(loop->Settings(), kCaptureFormat, want);

    auto la = a, lb = b, lc = c;
    loop->StartCapture();
    system->device->Feed(la);
    loop->Process();
    EXPECT_TRUE(loop->StopCapture());
    system->device->Feed(lb);
    loop->Process();
    loop->StartCapture();
    EXPECT_TRUE(Levels().empty());
    system->device->Feed(lc, 60000);
    loop->Process();
    EXPECT_EQ(Levels(), want);
}

// Every Process hands on the samples it took in as the card gave them
// (before the blocks were scaled to their peak), each once, placed on the
// stream's time line: nothing while not recording, nothing new from a second
// Process of one block.
TEST_F(LoopFixture, NewSamplesAreTheSoundAsItCame) {
    loop->Start({}, 1500.0f, 2000.0f);
    const auto a = test::Tone(32768, 1500.0, 900.0);   // scaled up 27 times on the way in
    const auto b = test::Tone(32768, 2000.0, 9000.0);  // heard while not recording
    const auto c = test::Tone(30000, 2000.0, 30000.0, 7);  // loud: left as it is
    std::vector<std::int16_t> got;
    const auto process = [&] {
        loop->Process();
        if (!loop->NewSamples().empty())
            EXPECT_EQ(loop->NewSamplesStart(), static_cast<std::int64_t>(got.size()));
        got.insert(got.end(), loop->NewSamples().begin(), loop->NewSamples().end());
    };
    auto la = a, lb = b, lc = c;
    loop->StartCapture();
    system->device->Feed(la);
    process();
    EXPECT_EQ(got.size(), a.size());
    process();
    EXPECT_TRUE(loop->NewSamples().empty());
    EXPECT_TRUE(loop->StopCapture());
    system->device->Feed(lb);
    process();
    EXPECT_TRUE(loop->NewSamples().empty());
    loop->StartCapture();
    system->device->Feed(lc, 60000);
    process();
    std::vector<std::int16_t> want = a;
    want.insert(want.end(), c.begin(), c.end());
    EXPECT_EQ(got, want);
}

TEST_F(LoopFixture, StopCaptureAnswersWhetherToShow) {
    loop->Start({}, 1500.0f, 2000.0f);
    EXPECT_FALSE(loop->StopCapture()) << "not recording: no Show";
    EXPECT_FALSE(loop->Recording());
    loop->StartCapture();
    EXPECT_TRUE(loop->Recording());
    loop->StartCapture();
    EXPECT_TRUE(loop->StopCapture());
    EXPECT_FALSE(loop->StopCapture());
}

TEST_F(LoopFixture, ProcessAfterStopReturnsAtOnce) {
    loop->Start({}, 1500.0f, 2000.0f);
    loop->StartCapture();
    auto block = test::Tone(32768, 1500.0, 20000.0);
    system->device->Feed(block);
    loop->Stop();
    EXPECT_FALSE(loop->IsOpen());
    loop->Process();  // the Process still queued for the last block
    EXPECT_TRUE(spectrumBlocks.empty());
    EXPECT_TRUE(Levels().empty());
    EXPECT_EQ(redraws, 0);
    // Stop closes for good: a later Start opens the device again.
    loop->Start({}, 1500.0f, 2000.0f);
    EXPECT_EQ(system->opens, 2);
    EXPECT_TRUE(loop->Recording()) << "recording outlives the device";
}

class TempDir {
public:
    TempDir() : path(std::filesystem::temp_directory_path() / ("morvane-capture-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::filesystem::path path;
};

TEST_F(LoopFixture, NoSoundInputAndNoSampleSaysSo) {
    system->names.clear();
    EXPECT_EQ(loop->Start({}, 1500.0f, 2000.0f), "No sound input found");
    EXPECT_FALSE(loop->IsOpen());
}

TEST(LoopFallback, NoSoundInputPlaysTheSampleAsACard) {
    TempDir dir;
    const auto sample = (dir.path / "sample.wav").string();
    WriteWav16Mono(sample, test::Tone(40000, 1500.0, 8000.0));
    std::mutex mutex;
    std::condition_variable cv;
    int posts = 0;
    ProcessingHooks hooks;
    hooks.postProcess = [&] {
        std::lock_guard lock(mutex);
        ++posts;
        cv.notify_all();
    };
    ProcessingLoop loop(std::make_unique<test::FakeSystem>(), hooks);
    loop.SetFallbackRecording(sample);
    const std::vector<std::int32_t>& levels = loop.Stream().levels;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(loop.Start({"/s0"}, 1500.0f, 2000.0f), "No sound input found: playing the sample recording");
    EXPECT_TRUE(loop.IsOpen());
    std::unique_lock lock(mutex);
    // Real-time pace: a block every 0.68 s, the third at 2.05 s; the sample
    // is 0.83 s long, so only looping gives a third block.
    EXPECT_TRUE(cv.wait_for(lock, std::chrono::seconds(60), [&] { return posts >= 3; }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
    lock.unlock();
    loop.AdoptLevels({1});
    EXPECT_EQ(loop.Start({"/s1"}, 1400.0f, 2000.0f), "No sound input found: playing the sample recording");
    EXPECT_TRUE(levels.empty());
    EXPECT_EQ(loop.Settings().tone1Hz, 1400.0f);
}

TEST(LoopFallback, UnreadableRecordingIsReported) {
    ProcessingLoop loop(std::make_unique<test::FakeSystem>(), {});
    loop.UseRecording("/nonexistent/dir/take.wav", RecordingPace::AfterProcess);
    const std::string status = loop.Start({}, 1500.0f, 2000.0f);
    EXPECT_EQ(status.rfind("Cannot open recording \"take.wav\": cannot read", 0), 0u) << status;
    EXPECT_FALSE(loop.IsOpen());
}

TEST(SoundPlayer, MissingFileStartsNothingAndPlayingNeverCrashes) {
    SoundPlayer player;
    EXPECT_FALSE(player.Play("/nonexistent/_Sound2.wav"));
    TempDir dir;
    const auto wav = (dir.path / "_Sound2.wav").string();
    WriteWav16Mono(wav, test::Tone(4800, 440.0, 3000.0));
    EXPECT_TRUE(player.Play(wav));
    EXPECT_TRUE(player.Play(wav));  // a new sound replaces the one playing
    player.StopPlaying();
    ProcessingLoop loop(std::make_unique<test::FakeSystem>(), {});
    EXPECT_FALSE(loop.Play());  // no "_Sound2.wav" beside the test: nothing, quietly
}


// The loop keeps the spectrum of what it captured for Align: the two tones of
// the blocks since Start capture, nothing once a new capture starts.
TEST_F(LoopFixture, SpectrumOfTheCaptureShowsItsTones) {
    loop->Start({}, 1500.0f, 2000.0f);
    loop->StartCapture();
    for (int i = 0; i < 4; ++i) {
        std::vector<std::int16_t> block = test::Tone(16384, 1000.0, 8000.0);
        const std::vector<std::int16_t> high = test::Tone(16384, 1400.0, 8000.0, 16384);
        block.insert(block.end(), high.begin(), high.end());
        ASSERT_TRUE(system->device->Feed(block));
        loop->Process();
    }
    const ToneEstimate tones = loop->FindTones();
    ASSERT_TRUE(tones.found) << tones.reason;
    EXPECT_NEAR(tones.lowHz, 1000.0, 12.0);
    EXPECT_NEAR(tones.highHz, 1400.0, 12.0);
    loop->StartCapture();
    EXPECT_FALSE(loop->FindTones().found);
}

// Align's tones are a keyed pair: a steady carrier three times as strong
// (and a steady pair) beside it is never taken; a steady pair alone gives
// none, saying why.
TEST_F(LoopFixture, TonesOfTheCaptureAreAKeyedPairNeverACarrier) {
    loop->Start({}, 1500.0f, 2000.0f);
    const auto mix = [](std::vector<std::int16_t> a, const std::vector<std::int16_t>& b) {
        for (std::size_t i = 0; i < a.size(); ++i) a[i] = static_cast<std::int16_t>(a[i] + b[i]);
        return a;
    };
    for (const bool keyed : {true, false}) {
        loop->StartCapture();
        for (std::size_t i = 0; i < 24; ++i) {
            // 2125 / 2295 Hz keyed every 4 096 samples (or both steady), a carrier at 1000 Hz.
            std::vector<std::int16_t> block;
            for (std::size_t at = 0; at < 32768; at += 4096) {
                const std::size_t first = i * 32768 + at;
                const auto pair = keyed ? test::Tone(4096, (first / 4096) % 3 == 0 ? 2295.0 : 2125.0, 2500.0, first)
                                        : mix(test::Tone(4096, 2125.0, 1250.0, first), test::Tone(4096, 2295.0, 1250.0, first));
                block.insert(block.end(), pair.begin(), pair.end());
            }
            block = mix(block, test::Tone(32768, 1000.0, 7500.0, i * 32768));
            ASSERT_TRUE(system->device->Feed(block));
            loop->Process();
        }
        const ToneEstimate tones = loop->FindTones();
        if (!keyed) {
            EXPECT_FALSE(tones.found) << tones.lowHz << " / " << tones.highHz;
            EXPECT_EQ(tones.reason, "no pair of tones is keyed");
            continue;
        }
        ASSERT_TRUE(tones.found) << tones.reason;
        EXPECT_NEAR(tones.lowHz, 2125.0, 6.0);
        EXPECT_NEAR(tones.highHz, 2295.0, 6.0);
    }
}

// Align's tone search reads all of the first ten seconds, then the first
// second of every 8 until 90 s, then of every 128, and keeps at most 40 s.
TEST(CaptureTones, ReadsSecondsSparserAsTheCaptureGoesOnAndKeepsFortySeconds) {
    const struct {
        double second;
        bool read;
    } cases[] = {{0, true},     {9.99, true},  {10, false}, {15.5, false}, {16, true},   {16.99, true},
                 {88.5, true},  {89, false},   {96, false}, {127, false},  {128, true},  {128.5, true},
                 {129, false}, {255, false},  {256, true}, {3584, true},  {3600, false}};
    for (const auto& c : cases)
        EXPECT_EQ(CaptureTones::Read(static_cast<std::int64_t>(c.second * 48000)), c.read) << c.second;
    CaptureTones tones;
    const std::vector<std::int16_t> block(32768, 5);
    for (int i = 0; i < 2 * 3600 * 48000 / 32768; ++i) {
        tones.Add(block.data(), block.size());
        if (i == 25) EXPECT_NEAR(tones.Seconds(), 11.0, 1e-9);  // 17.7 s: the first 10 s and second 16
    }
    EXPECT_NEAR(tones.Seconds(), 40.0, 1e-9);
}

// The tones live in the loop's stream; a change (by SetTones or Start) is
// announced once, an unchanged pair not at all.
TEST(LoopTones, ChangesAreAnnounced) {
    int announced = 0;
    ProcessingHooks hooks;
    hooks.tonesChanged = [&] { ++announced; };
    ProcessingLoop loop(std::make_unique<test::FakeSystem>(), hooks);
    loop.SetFallbackRecording("");
    loop.SetTones(1500.0f, 2000.0f);  // the defaults: no change
    EXPECT_EQ(announced, 0);
    loop.SetTones(1275.0f, 2000.0f);
    EXPECT_EQ(announced, 1);
    EXPECT_EQ(loop.Stream().tones.tone1Hz, 1275.0f);
    loop.Start({}, 1275.0f, 1445.0f);
    EXPECT_EQ(announced, 2);
    EXPECT_EQ(loop.Stream().tones.tone2Hz, 1445.0f);
    loop.Start({}, 1275.0f, 1445.0f);
    EXPECT_EQ(announced, 2);
}

// What the status line says of a capture: the levels so far, grouped by
// three digits; nothing while idle.
TEST(LoopStatus, CaptureAndDurations) {
    ProcessingLoop loop(std::make_unique<test::FakeSystem>(), {});
    loop.SetFallbackRecording("");
    loop.Start({}, 1500.0f, 2000.0f);
    EXPECT_EQ(loop.ActivityText(), "");
    loop.StartCapture();
    loop.AdoptLevels(std::vector<std::int32_t>(1234567, 128));
    EXPECT_EQ(loop.ActivityText(), "Capturing 00:00 \u00B7 1 234 567 levels");
    EXPECT_TRUE(loop.StopCapture());
    EXPECT_EQ(loop.ActivityText(), "");
    EXPECT_EQ(Duration(-5), "00:00");
    EXPECT_EQ(Duration(48000LL * 59 + 47999), "00:59");
    EXPECT_EQ(Duration(48000LL * 3600 * 12 + 48000 * 61), "12:01:01");
    EXPECT_EQ(GroupDigits(-1234), "-1 234");
    EXPECT_EQ(GroupDigits(999), "999");
    EXPECT_EQ(GroupDigits(-100200), "-100 200");
}

}  // namespace
}  // namespace morvane
