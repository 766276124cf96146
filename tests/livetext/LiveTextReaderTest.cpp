#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "CaptureBlocks.h"
#include "livetext/LiveTextReader.h"
#include "support/BetweenTonesSupport.h"
#include "synth/RttySynth.h"

namespace morvane {
namespace {

// What the reader made of a stream: consecutive text pieces joined, so that
// readings that split the text differently compare equal.
struct Reading {
    std::vector<TransmissionInfo> transmissions;
    std::vector<std::string> texts;  // one per transmission
};

Reading Collect(const std::vector<LiveTextPiece>& pieces) {
    Reading r;
    for (const LiveTextPiece& p : pieces) {
        if (p.kind == LiveTextPiece::Kind::Transmission) {
            r.transmissions.push_back(p.transmission);
            r.texts.emplace_back();
        } else {
            EXPECT_FALSE(r.texts.empty()) << "text before any transmission";
            if (!r.texts.empty()) r.texts.back() += p.text;
        }
    }
    return r;
}

// The sound through the capture path block by block, as the window runs it,
// the reader extended after every block and finished at the end. With
// `inOnePiece` the reader sees the whole stream once, at the end.
Reading ReadLive(const std::vector<std::int16_t>& samples, bool soft, bool inOnePiece = false,
                 std::optional<CodeSettings> code = std::nullopt) {
    const DemodSettings demod;  // 1500 / 2000 Hz
    LiveTextOptions options;
    options.tone1Hz = demod.tone1Hz;
    options.tone2Hz = demod.tone2Hz;
    options.soft = soft;
    options.code = code;
    LiveTextReader reader(options);
    std::vector<LiveTextPiece> pieces;
    test::CaptureBlocks(
        samples,
        [&](const std::vector<std::int32_t>& levels, const LevelTimeline& timeline,
            const std::vector<SoftWindow>& windows) {
            if (!inOnePiece) reader.Extend(levels, timeline, &windows, pieces);
        },
        [&](const std::vector<std::int32_t>& levels, const LevelTimeline& timeline,
            const std::vector<SoftWindow>& windows) { reader.Finish(levels, timeline, &windows, pieces); });
    return Collect(pieces);
}

std::vector<std::int16_t> Synth(const std::string& text, double baud, double stopBits, double idle = 0.5,
                                std::optional<double> snr = std::nullopt, std::uint64_t seed = 1,
                                CodeSettings code = {}) {
    RttySynthSettings s;
    s.baud = baud;
    s.stopBits = stopBits;
    s.idleSeconds = idle;
    s.snrDb = snr;
    s.seed = seed;
    s.code = code;
    return SynthesizeRtty(text, s);
}

std::vector<std::int16_t> Joined(std::vector<std::int16_t> a, const std::vector<std::int16_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

constexpr const char* kText = "RYRY CQ CQ DE MORVANE THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 1234567890";

TEST(LiveTextReader, ReadsASynthesisedTransmissionWithItsRateTonesAndCode) {
    struct Case {
        double baud, stopBits;
        bool soft;
        std::optional<double> snr;
        CodeSettings code;
        const char* text;
    };
    constexpr CodeSettings kBaudot{};
    constexpr const char* kAsciiText = "CQ CQ de Morvane: the quick brown fox jumps over the lazy dog, 73!";
    const Case cases[] = {
        {50.0, 1.5, false, {}, kBaudot, kText}, {50.0, 1.5, true, {}, kBaudot, kText},
        {45.45, 1.5, false, {}, kBaudot, kText}, {75.0, 1.0, false, {}, kBaudot, kText},
        {100.0, 2.0, false, {}, kBaudot, kText}, {50.0, 1.5, true, 0.0, kBaudot, kText},
        {110.0, 1.0, false, {}, {TextCode::Ascii7, Parity::Even}, kAsciiText},
        {75.0, 2.0, true, 3.0, {TextCode::Ascii8, Parity::None}, kAsciiText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.baud << " Bd, " << c.stopBits << " stop bits, soft " << c.soft << ", "
                                        << CodeName(c.code));
        const Reading r = ReadLive(Synth(c.text, c.baud, c.stopBits, 0.5, c.snr, 1, c.code), c.soft);
        ASSERT_EQ(r.transmissions.size(), 1U);
        const TransmissionInfo& t = r.transmissions[0];
        EXPECT_EQ(t.nominalBaud, c.baud);
        EXPECT_NEAR(t.baud, c.baud, 0.01 * c.baud);
        EXPECT_EQ(t.stopBits, c.stopBits);
        EXPECT_EQ(t.tone1Hz, 1500.0F);
        EXPECT_EQ(t.tone2Hz, 2000.0F);
        EXPECT_EQ(t.code.code, c.code.code);
        EXPECT_EQ(t.code.parity, c.code.parity);
        // The first start bit follows half a second of idle mark.
        EXPECT_NEAR(static_cast<double>(t.firstSample), 24000.0, 48000.0 / c.baud);
        EXPECT_EQ(r.texts[0], c.text);
    }
}

TEST(LiveTextReader, StartsANewTransmissionAfterAGapOrAChangeOfSpeed) {
    const std::vector<std::int16_t> silence(48000 * 2, 0);
    const std::string first = "FIRST TRANSMISSION AT FIFTY BAUD RYRYRYRY";
    const std::string second = "SECOND ONE AT SEVENTY FIVE BAUD RYRYRYRY";
    struct Case {
        const char* name;
        std::vector<std::int16_t> sound;
        bool exact;
    };
    const Case cases[] = {
        {"gap", Joined(Joined(Synth(first, 50.0, 1.5), silence), Synth(second, 75.0, 1.0)), true},
        {"no gap", Joined(Synth(first, 50.0, 1.5, 0.0), Synth(second, 75.0, 1.0, 0.0)), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Reading r = ReadLive(c.sound, false);
        ASSERT_EQ(r.transmissions.size(), 2U);
        EXPECT_EQ(r.transmissions[0].nominalBaud, 50.0);
        EXPECT_EQ(r.transmissions[1].nominalBaud, 75.0);
        EXPECT_EQ(r.transmissions[1].stopBits, 1.0);
        EXPECT_LT(r.transmissions[0].firstSample, r.transmissions[1].firstSample);
        if (c.exact) {
            EXPECT_EQ(r.texts[0], first);
            EXPECT_EQ(r.texts[1], second);
        } else {  // where the speed changes without a pause a few characters are lost
            EXPECT_NE(r.texts[0].find("TRANSMISSION AT FIFTY BAUD"), std::string::npos) << r.texts[0];
            EXPECT_NE(r.texts[1].find("AT SEVENTY FIVE BAUD RYRY"), std::string::npos) << r.texts[1];
        }
    }
}

TEST(LiveTextReader, SilenceNoiseAndASteadyToneGiveNothing) {
    std::mt19937 random(7);
    std::normal_distribution<double> gauss(0.0, 3000.0);
    std::vector<std::int16_t> noise(48000 * 60);
    for (std::int16_t& s : noise) s = static_cast<std::int16_t>(std::clamp(gauss(random), -32768.0, 32767.0));
    const std::vector<std::int16_t> silence(48000 * 10, 0);
    const std::vector<std::int16_t> tone = Synth("", 50.0, 1.5, 10.0);
    for (const std::vector<std::int16_t>* sound : std::vector<const std::vector<std::int16_t>*>{&silence, &noise, &tone})
        for (bool soft : {false, true}) {
            const Reading r = ReadLive(*sound, soft);
            EXPECT_TRUE(r.transmissions.empty());
            EXPECT_TRUE(r.texts.empty());
        }
}

TEST(LiveTextReader, GivesTheSamePiecesInOnePieceAsBlockByBlock) {
    const std::vector<std::int16_t> sound =
        Joined(Joined(Synth(kText, 50.0, 1.5, 0.5, 3.0, 5), std::vector<std::int16_t>(48000, 0)),
               Synth("AND MORE TEXT AT ONE HUNDRED BAUD RYRYRYRY", 100.0, 1.5, 0.5));
    for (bool soft : {false, true}) {
        const Reading blocks = ReadLive(sound, soft);
        const Reading whole = ReadLive(sound, soft, true);
        ASSERT_EQ(blocks.transmissions.size(), 2U);
        ASSERT_EQ(whole.transmissions.size(), blocks.transmissions.size());
        for (std::size_t i = 0; i < whole.transmissions.size(); ++i) {
            EXPECT_EQ(whole.transmissions[i].firstSample, blocks.transmissions[i].firstSample);
            EXPECT_EQ(whole.transmissions[i].baud, blocks.transmissions[i].baud);
            EXPECT_EQ(whole.texts[i], blocks.texts[i]);
        }
    }
}

TEST(LiveTextReader, FirstTransmissionHasTheRightRateAndText) {
    // A transmission that starts with the tuning pattern: the first hunt
    // windows hold nothing else, and RYRY in 8-bit ASCII frames as well six
    // bits on. The first transmission found must be the right one.
    const std::string text = "RYRYRYRYRYRYRYRYRYRY THE QUICK BROWN FOX";
    struct Case {
        double baud, stopBits;
        CodeSettings code;
    };
    const Case cases[] = {
        {75.0, 1.0, {TextCode::Ascii7, Parity::Odd}},   {50.0, 1.0, {TextCode::Ascii7, Parity::None}},
        {100.0, 1.0, {TextCode::Ascii8, Parity::None}}, {50.0, 2.0, {TextCode::Ascii7, Parity::None}},
        {45.45, 1.5, {}},                               {75.0, 1.5, {}},
        {100.0, 1.0, {}},                               {150.0, 1.5, {}},
    };
    for (const Case& c : cases)
        for (bool soft : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.baud << " Bd, " << c.stopBits << " stop bits, " << CodeName(c.code)
                                            << ", soft " << soft);
            const Reading r = ReadLive(Synth(text, c.baud, c.stopBits, 0.5, {}, 1, c.code), soft);
            ASSERT_EQ(r.transmissions.size(), 1U);
            EXPECT_EQ(r.transmissions[0].nominalBaud, c.baud);
            EXPECT_EQ(r.transmissions[0].code.code, c.code.code);
            EXPECT_EQ(r.texts[0], text);
        }
}

TEST(LiveTextReader, ReadsTheUsFiguresWhenTheyAreGiven) {
    const std::string text = "RYRY $5 'Q' #7; \"Z\" ?B RYRY";
    const CodeSettings us{TextCode::BaudotUs, Parity::None};
    for (double baud : {45.45, 50.0, 75.0, 100.0, 150.0})
        for (double stopBits : {1.0, 1.5, 2.0}) {
            SCOPED_TRACE(testing::Message() << baud << " Bd, " << stopBits << " stop bits");
            const Reading r = ReadLive(Synth(text, baud, stopBits, 0.5, {}, 1, us), false, false, us);
            ASSERT_EQ(r.transmissions.size(), 1U);
            EXPECT_EQ(r.texts[0], text);
        }
}

TEST(LiveTextReader, AToneBetweenTheTonesOrKeyingFarTooFastGivesNothing) {
    using namespace betweentones;
    const std::vector<std::vector<std::int16_t>> sounds = {
        SteadyTone(1750.0, Shape::Sine, 20.0), SteadyTone(1750.0, Shape::Square, 20.0),
        SteadyTone(1750.0, Shape::Clipped, 20.0), Reversals(1500.0, 2000.0, 1000.0, 20.0)};
    for (std::size_t k = 0; k < sounds.size(); ++k)
        for (bool soft : {false, true}) {
            const Reading r = ReadLive(sounds[k], soft);
            EXPECT_TRUE(r.transmissions.empty()) << "sound " << k << ", soft " << soft << ": "
                                                 << (r.texts.empty() ? "" : r.texts[0]);
        }
}

TEST(LiveTextReader, SoftHuntFindsNothingInLongNoise) {
    // Three minutes of uniform noise each; soft hunting once took chance
    // structure in these for transmissions at 50 … 110 baud.
    for (std::uint64_t seed : {2U, 9U, 21U}) {
        const Reading r = ReadLive(betweentones::UniformNoise(seed, 180.0), true);
        EXPECT_TRUE(r.transmissions.empty()) << "seed " << seed << ": " << r.transmissions.size()
                                             << " transmissions, first at sample "
                                             << (r.transmissions.empty() ? 0 : r.transmissions[0].firstSample);
    }
}

// The reading of ReadLive with the stream's front left out after every
// block, as far as Reach() allows; `mostKept` receives the most levels held.
Reading ReadKeepingWhatIsReached(const std::vector<std::int16_t>& samples, bool soft, std::size_t& mostKept) {
    const DemodSettings demod;
    LiveTextOptions options;
    options.tone1Hz = demod.tone1Hz;
    options.tone2Hz = demod.tone2Hz;
    options.soft = soft;
    LiveTextReader reader(options);
    std::vector<LiveTextPiece> pieces;
    CaptureBuffers buffers;
    buffers.SetRecording(true);
    std::vector<std::int32_t> levels, fresh;
    std::vector<SoftWindow> windows, freshWindows;
    std::int64_t base = 0;
    LevelTimeline timeline(DemodWindow(demod, kCaptureFormat));
    constexpr std::size_t kBlock = kDeviceBlockBytes / 2;
    mostKept = 0;
    for (std::size_t at = 0; at < samples.size(); at += kBlock) {
        std::vector<std::int16_t> block(samples.begin() + static_cast<std::ptrdiff_t>(at),
                                        samples.begin() + static_cast<std::ptrdiff_t>(std::min(samples.size(), at + kBlock)));
        buffers.HandleBlock(block.data(), static_cast<std::int32_t>(block.size() * 2));
        fresh.clear();
        freshWindows.clear();
        LevelTimeline call(timeline.Window());
        buffers.DemodulatePending(demod, kCaptureFormat, fresh, {.soft = &freshWindows, .timeline = &call});
        for (DemodCall c : call.Calls()) {
            c.firstLevel += timeline.LevelCount();
            timeline.Append(c);
        }
        levels.insert(levels.end(), fresh.begin(), fresh.end());
        windows.insert(windows.end(), freshWindows.begin(), freshWindows.end());
        mostKept = std::max(mostKept, levels.size());
        reader.Extend(levels, timeline, &windows, pieces, base);
        const std::int64_t keep = reader.Reach();
        EXPECT_GE(keep, base);
        levels.erase(levels.begin(), levels.begin() + (keep - base));
        windows.erase(windows.begin(), windows.begin() + (keep - base));
        base = keep;
    }
    reader.Finish(levels, timeline, &windows, pieces, base);
    return Collect(pieces);
}

TEST(LiveTextReader, KeepsOnlyWhatTheHuntAndTheFollowerCanReach) {
    // Six minutes: noise, transmissions at two rates with gaps, a long
    // transmission. Keeping only the levels the reader can reach gives the
    // same reading as the whole stream, with a few seconds held at most.
    std::vector<std::int16_t> sound = betweentones::UniformNoise(4, 30.0);
    for (int round = 0; round < 3; ++round) {
        sound = Joined(sound, Synth(kText, 50.0, 1.5, 1.0, 6.0, 10 + round));
        sound = Joined(sound, std::vector<std::int16_t>(48000 * 20, 0));
        sound = Joined(sound, Synth(kText, 75.0, 1.0, 1.0, {}, 1,
                                    round % 2 ? CodeSettings{TextCode::Ascii7, Parity::Even} : CodeSettings{}));
        sound = Joined(sound, betweentones::UniformNoise(20 + round, 30.0));
    }
    std::string longText;
    for (int i = 0; i < 10; ++i) longText += std::string(kText) + " ";
    sound = Joined(sound, Synth(longText, 50.0, 1.5, 1.0));
    for (bool soft : {false, true}) {
        SCOPED_TRACE(testing::Message() << "soft " << soft);
        std::size_t mostKept = 0;
        const Reading kept = ReadKeepingWhatIsReached(sound, soft, mostKept);
        const Reading whole = ReadLive(sound, soft);
        ASSERT_GE(whole.transmissions.size(), 7U);
        ASSERT_EQ(kept.transmissions.size(), whole.transmissions.size());
        for (std::size_t i = 0; i < whole.transmissions.size(); ++i) {
            EXPECT_EQ(kept.transmissions[i].firstSample, whole.transmissions[i].firstSample);
            EXPECT_EQ(kept.texts[i], whole.texts[i]);
        }
        // The hunt window (5 s), a step and a block: under ten seconds of levels.
        EXPECT_LT(mostKept, 6000U) << "of " << sound.size() / 80 << " levels";
    }
}

TEST(LiveTextReader, RefusesSoftDecisionsWithoutCorrelations) {
    LiveTextOptions options;
    options.soft = true;
    LiveTextReader reader(options);
    std::vector<LiveTextPiece> pieces;
    const std::vector<std::int32_t> levels(1000, 128);
    EXPECT_THROW(reader.Extend(levels, LevelTimeline(), nullptr, pieces), std::invalid_argument);
    const std::vector<SoftWindow> shorter(999);
    EXPECT_THROW(reader.Extend(levels, LevelTimeline(), &shorter, pieces), std::invalid_argument);
    // Levels left out that the reading still needs.
    LiveTextReader plain(LiveTextOptions{});
    EXPECT_THROW(plain.Extend(levels, LevelTimeline(), nullptr, pieces, 500), std::invalid_argument);
}

}  // namespace
}  // namespace morvane
