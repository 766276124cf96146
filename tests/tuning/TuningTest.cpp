// What tuning shows: the scope's ellipses and the signal's figures from the
// stream's tone correlations, the lock on a transmission, and the tones a
// click on a signal sets.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>
#include <stdexcept>
#include <vector>

#include "support/DecodeRoundTripSupport.h"
#include "synth/RttySynth.h"
#include "capture/BlockHandling.h"
#include "tuning/InputLevel.h"
#include "tuning/SignalLock.h"
#include "tuning/ToneCentring.h"
#include "tuning/TuningScope.h"
#include "tuning/TuningWaterfall.h"
#include "tuning/ToneFollower.h"
#ifdef MORVANE_TEST_RECORDINGS
#include "recording/RecordingReader.h"
#endif
#include "synth/RttySynth.h"
#include "dsp/Spectrum.h"
#include <memory>

using namespace morvane;

namespace {

const ToneResponse kResponse = MeasureToneResponse(DemodSettings{});

std::vector<SoftWindow> SoftOf(const std::vector<std::int16_t>& samples) {
    std::vector<SoftWindow> soft;
    roundtrip::LevelsThroughCapture(samples, DemodSettings{}, {.soft = &soft});
    return soft;
}

std::vector<std::int16_t> Noise(std::size_t count, double rms) {
    std::mt19937 random(7);
    std::normal_distribution<double> gauss(0.0, rms);
    std::vector<std::int16_t> samples(count);
    for (auto& s : samples) s = static_cast<std::int16_t>(std::clamp(gauss(random), -32767.0, 32767.0));
    return samples;
}

std::vector<std::int16_t> Tone(double hz, double amplitude, std::size_t count) {
    std::vector<std::int16_t> samples(count);
    for (std::size_t n = 0; n < count; ++n)
        samples[n] = static_cast<std::int16_t>(std::lround(amplitude * std::sin(2.0 * std::numbers::pi * hz * n / 48000.0)));
    return samples;
}

std::vector<SoftWindow> Rtty(std::optional<double> snrDb) {
    RttySynthSettings synth;
    synth.idleSeconds = 0.2;
    synth.snrDb = snrDb;
    synth.seed = 5;
    return SoftOf(SynthesizeRtty("RYRYRYRY THE QUICK BROWN FOX 73", synth));
}

}  // namespace

// The S/N figure rises with the signal's S/N and says "signal" only for a
// keyed signal; noise alone reads low, whatever its level. A clean signal
// reads high, the windows across its keying edges holding both tones.
TEST(TuningScope, FiguresFollowTheSignal) {
    for (const double rms : {300.0, 3000.0}) {
        const std::vector<SoftWindow> noise = SoftOf(Noise(48000, rms));
        const TuningPicture alone = MeasureTuning(noise, noise.size(), kResponse);
        EXPECT_FALSE(alone.signal) << alone.snrDb;
        EXPECT_LT(alone.levelDb, 0.0);
    }
    double before = kSnrFloorDb - 3.0;
    const struct {
        std::optional<double> snr;
        bool signal;
    } cases[] = {{-6.0, false}, {0.0, false}, {10.0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.snr.value_or(99));
        const std::vector<SoftWindow> soft = Rtty(c.snr);
        const TuningPicture p = MeasureTuning(soft, soft.size() - 2000, kResponse);  // inside the text
        EXPECT_EQ(p.signal, c.signal) << p.snrDb;
        EXPECT_GT(p.snrDb, before + 3.0);
        before = p.snrDb;
        EXPECT_LE(p.levelDb, 0.5);
        EXPECT_GT(p.levelDb, -25.0);
        ASSERT_FALSE(p.ellipses.empty());
        EXPECT_LE(p.ellipses.size(), kTuningEllipses);
        for (const auto& e : p.ellipses) {
            EXPECT_GE(e.tone1, 0.0F);
            EXPECT_LE(e.tone1, 1.0F);
            EXPECT_LE(e.tone2, 1.0F);
        }
    }
}

TEST(TuningScope, CleanSignalReadsHigh) {
    const std::vector<SoftWindow> soft = Rtty(std::nullopt);
    const TuningPicture p = MeasureTuning(soft, soft.size() - 2000, kResponse);
    EXPECT_TRUE(p.signal);
    EXPECT_GT(p.snrDb, 20.0);
}

// A steady tone at the capture's full peak reads 0 dB on its own axis: a
// flat ellipse for tone 1, an upright one for tone 2; half the amplitude of
// a tone among louder noise cannot read higher.
TEST(TuningScope, SteadyTonesDrawTheirAxis) {
    const struct {
        double hz;
        bool flat;
    } cases[] = {{1500.0, true}, {2000.0, false}};
    for (const auto& c : cases) {
        const std::vector<SoftWindow> soft = SoftOf(Tone(c.hz, 25000.0, 48000));
        const TuningPicture p = MeasureTuning(soft, soft.size(), kResponse);
        EXPECT_NEAR(p.levelDb, 0.0, 0.5);
        EXPECT_TRUE(p.signal);
        ASSERT_FALSE(p.ellipses.empty());
        const auto& e = p.ellipses.front();
        EXPECT_NEAR(c.flat ? e.tone1 : e.tone2, 1.0F, 0.05F);
        // The short windows of close tones overlap: the other tone picks up its share.
        EXPECT_NEAR(c.flat ? e.tone2 : e.tone1, std::sqrt(kResponse.leak), 0.03);
        EXPECT_LT(kResponse.leak, 0.05);
    }
}

// Only the windows asked for are looked at, an end past the stream reads
// as its end, and nothing gives the quiet default.
TEST(TuningScope, StretchBounds) {
    std::vector<SoftWindow> soft = SoftOf(Tone(1500.0, 25000.0, 48000));
    const std::size_t toneEnd = soft.size();
    const std::vector<SoftWindow> quiet(400);
    soft.insert(soft.end(), quiet.begin(), quiet.end());
    EXPECT_TRUE(MeasureTuning(soft, toneEnd, kResponse).signal);
    EXPECT_FALSE(MeasureTuning(soft, soft.size(), kResponse).signal);  // the last 300 windows are silent
    EXPECT_EQ(MeasureTuning(soft, soft.size(), kResponse).levelDb, -120.0);
    EXPECT_TRUE(MeasureTuning(soft, soft.size(), kResponse, 1000).signal);
    EXPECT_EQ(MeasureTuning(soft, soft.size() + 500, kResponse).snrDb, MeasureTuning(soft, soft.size(), kResponse).snrDb);
    const TuningPicture none = MeasureTuning({}, 10, kResponse);
    EXPECT_TRUE(none.ellipses.empty());
    EXPECT_FALSE(none.signal);
    EXPECT_TRUE(MeasureTuning(soft, 0, kResponse).ellipses.empty());
}

TEST(SignalLock, HeldWhileTextComes) {
    SignalLock lock;
    EXPECT_FALSE(lock.Locked(0));
    lock.Text(100);  // text without a transmission found locks nothing
    EXPECT_FALSE(lock.Locked(100));
    lock.Transmission(1000);
    const struct {
        std::int64_t text;  // text arrives with the stream here (0: none)
        std::int64_t now;
        bool locked;
    } steps[] = {
        {0, 1000, true},
        {0, 1000 + SignalLock::kHoldLevels, true},
        {2500, 2500 + SignalLock::kHoldLevels, true},
        {0, 2501 + SignalLock::kHoldLevels, false},
        {9000, 9000, true},  // text of the same transmission again
    };
    for (const auto& s : steps) {
        if (s.text) lock.Text(s.text);
        EXPECT_EQ(lock.Locked(s.now), s.locked) << s.now;
    }
    lock.Restart();
    EXPECT_FALSE(lock.Locked(9000));
}

TEST(ToneCentring, BothTonesAroundTheClick) {
    const struct {
        std::int32_t centre, shift;
        bool reverse;
        TonePair tones;
    } cases[] = {
        {1585, 170, false, {1500, 1670}},
        {1585, 170, true, {1670, 1500}},
        {2210, 425, false, {1998, 2423}},
        {1000, 850, false, {575, 1425}},
        {100, 850, false, {1, 851}},        // kept inside the fields' range
        {9990, 450, true, {9999, 9549}},
        {5000, 20000, false, {1, 9999}},   // wider than the range
    };
    for (const auto& c : cases)
        EXPECT_EQ(CentreTones(c.centre, c.shift, c.reverse), c.tones) << c.centre << " " << c.shift;
    EXPECT_THROW(CentreTones(1500, 0, false), std::invalid_argument);
}

// The card's peak comes back from a block after the capture's gain, for
// peaks that are scaled (up to 12 500 by 2 and more) and those that are not.
TEST(InputLevel, PeakBeforeTheCapturesGain) {
    std::vector<std::int32_t> peaks = {1, 7, 157, 158, 159, 300, 1000, 8333, 8334, 12500, 12501, 25000, 25001, 32767};
    for (std::int32_t peak = 2; peak < 25100; peak += 97) peaks.push_back(peak);
    for (const std::int32_t peak : peaks) {
        std::vector<std::int16_t> block = Noise(1024, peak / 3.0 + 1.0);
        for (auto& s : block) s = static_cast<std::int16_t>(std::clamp<std::int32_t>(s, -peak, peak));
        block[100] = static_cast<std::int16_t>(-peak);
        NormalizePeak(block.data(), static_cast<std::int32_t>(block.size() * 2));
        EXPECT_EQ(InputPeak(block), peak) << peak;
    }
    EXPECT_EQ(InputPeak(std::vector<std::int16_t>(64, 0)), 0);
    EXPECT_EQ(InputPeak({}), 0);
    EXPECT_NEAR(PeakDbfs(16384), -6.02, 0.01);
    EXPECT_EQ(PeakDbfs(0), -120.0);
}

TEST(ToneCentring, AfcFollowsTonesFoundFarOff) {
    const struct {
        double low, high;
        TonePair inUse;
        bool reverse;
        std::optional<TonePair> follow;
    } cases[] = {
        {2125.4, 2295.0, {1500, 2000}, false, TonePair{2125, 2295}},
        {2295.0, 2125.4, {1500, 2000}, true, TonePair{2295, 2125}},  // given either way round
        {1510.0, 1990.0, {1500, 2000}, false, std::nullopt},         // within the tolerance
        {1510.0, 2030.0, {1500, 2000}, false, TonePair{1510, 2030}},
        {1500.0, 2000.0, {2000, 1500}, false, TonePair{1500, 2000}},  // the order in use is wrong
        {std::nan(""), 2000.0, {1500, 2000}, false, std::nullopt},
        {0.2, 2000.0, {1500, 2000}, false, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto got = FollowTones(c.low, c.high, c.inUse, c.reverse, 20);
        EXPECT_EQ(got.has_value(), c.follow.has_value()) << c.low << " " << c.high;
        if (got && c.follow) EXPECT_EQ(*got, *c.follow);
    }
}

// A tone shows as the brightest column at its frequency, whatever the zoom;
// rows move up one a block; labels reach across the whole width.
TEST(TuningWaterfall, ToneAtItsColumnAndRowsScroll) {
    TuningWaterfall fall(320, 4);
    const std::vector<std::int16_t> tone = Tone(2125.0, 20000.0, 32768);
    const std::vector<std::int16_t> quiet(32768, 0);
    fall.SetView(2200.0, TuningWaterfall::kDefaultZoom);
    fall.AddBlock(tone.data(), tone.size());
    fall.AddBlock(quiet.data(), quiet.size());
    const auto brightest = [&](int row) {
        const auto* line = fall.Pixels().data() + static_cast<std::size_t>(row) * 320;
        return static_cast<int>(std::max_element(line, line + 320) - line);
    };
    for (int zoom = 0; zoom < static_cast<int>(std::size(TuningWaterfall::kZooms)); ++zoom) {
        SCOPED_TRACE(zoom);
        fall.SetView(2200.0, zoom);
        EXPECT_NEAR(fall.FrequencyAt(brightest(2) + 0.5), 2125.0, std::max(6.0, TuningWaterfall::kZooms[zoom]));
        EXPECT_NEAR(fall.ColumnOf(fall.FrequencyAt(17.25)), 17.25, 1e-9);
        EXPECT_EQ(*std::max_element(fall.Pixels().begin() + 3 * 320, fall.Pixels().end()), 0);  // the quiet block
        EXPECT_TRUE(std::all_of(fall.Pixels().begin(), fall.Pixels().begin() + 2 * 320,
                                [](std::uint8_t g) { return g == TuningWaterfall::kEmptyGrey; }));  // not yet filled
        const auto labels = fall.Labels(60);
        ASSERT_GE(labels.size(), 3u);
        const int step = labels[1].first - labels[0].first;
        EXPECT_LE(labels.front().first, step);
        EXPECT_GE(labels.back().first, 320 - step);
        for (const auto& [column, hz] : labels) EXPECT_LE(std::fabs(fall.FrequencyAt(column) - hz), TuningWaterfall::kZooms[zoom] / 2);
        for (std::size_t i = 1; i < labels.size(); ++i) EXPECT_GE(labels[i].first - labels[i - 1].first, 59);
    }
    fall.SetView(2200.0, 99);
    EXPECT_EQ(fall.Zoom(), static_cast<int>(std::size(TuningWaterfall::kZooms)) - 1);
    EXPECT_THROW(TuningWaterfall(0, 4), std::invalid_argument);
    const std::size_t before = fall.Pixels().size();
    fall.AddBlock(tone.data(), 100);  // too short: nothing added
    EXPECT_EQ(fall.Pixels().size(), before);
}

// A transform made elsewhere gives the same row as the block's own; bins
// that are no power of two are refused.
TEST(TuningWaterfall, SpectrumGivenEqualsTheBlocks) {
    const std::vector<std::int16_t> tone = Tone(1700.0, 20000.0, 32768);
    TuningWaterfall fromBlock(200, 2), fromSpectrum(200, 2);
    fromBlock.AddBlock(tone.data(), tone.size());
    std::unique_ptr<float[]> spectrum;
    ComputeSpectrum(tone.data(), tone.size(), spectrum, kFftSize);
    fromSpectrum.AddSpectrum(spectrum.get(), kFftSize);
    EXPECT_EQ(fromBlock.Pixels(), fromSpectrum.Pixels());
    EXPECT_GT(*std::max_element(fromSpectrum.Pixels().begin(), fromSpectrum.Pixels().end()), 100);
    EXPECT_THROW(fromSpectrum.AddSpectrum(spectrum.get(), 3000), std::invalid_argument);
    fromSpectrum.AddSpectrum(nullptr, kFftSize);
    EXPECT_EQ(fromBlock.Pixels(), fromSpectrum.Pixels());
}

namespace {

// The follower fed as the window feeds it: the strip's transform of each
// 32 768-sample block (its first 4 096 samples). The pair found once the
// last block is in.
std::optional<ToneFollower::Pair> Followed(const std::vector<std::int16_t>& sound) {
    ToneFollower follower;
    std::optional<ToneFollower::Pair> found;
    std::unique_ptr<float[]> spectrum;
    for (std::size_t at = 0; at + 32768 <= sound.size(); at += 32768) {
        ComputeSpectrum(sound.data() + at, 32768, spectrum, kFftSize);
        follower.Add(spectrum.get(), kFftSize);
        found = follower.Find();
    }
    return found;
}

std::vector<std::int16_t> Keyed(double mark, double space, std::optional<double> snr, std::uint64_t seed) {
    RttySynthSettings synth;
    synth.markHz = mark;
    synth.spaceHz = space;
    synth.snrDb = snr;
    synth.seed = seed;
    synth.idleSeconds = 0.2;
    return SynthesizeRtty("RYRY CQ CQ DE MORVANE THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789 73", synth);
}

#ifdef MORVANE_TEST_RECORDINGS
std::vector<std::int16_t> Read48k(const std::string& name) {
    RecordingReader reader(std::string(MORVANE_TEST_DATA) + "/" + name);
    std::vector<std::int16_t> sound(48000 * 30);
    sound.resize(reader.Read(sound.data(), sound.size()));
    return sound;
}
#endif

}  // namespace

// AFC's search finds the keyed pair in the strip's transforms, within a bin
// (11.7 Hz; AFC leaves tones within 20 Hz alone), whichever tone is the stronger, at any shift and through
// noise; from minimodem's transmissions too.
TEST(ToneFollower, FindsTheKeyedPair) {
    const struct {
        const char* what;
        std::vector<std::int16_t> sound;
        double low, high;
    } cases[] = {
        {"2125/2295 clean", Keyed(2125.0, 2295.0, std::nullopt, 1), 2125.0, 2295.0},
        {"1500/2000, 10 dB", Keyed(1500.0, 2000.0, 10.0, 4), 1500.0, 2000.0},
        {"mark above, 850 Hz, 6 dB", Keyed(2400.0, 1550.0, 6.0, 9), 1550.0, 2400.0},
        {"off the bins, 3 dB", Keyed(1003.0, 1173.0, 3.0, 21), 1003.0, 1173.0},
#ifdef MORVANE_TEST_RECORDINGS
        {"minimodem rtty 45.45", Read48k("minimodem-rtty45-8k.wav"), -1.0, -1.0},
        {"minimodem 50 Bd 450 Hz", Read48k("minimodem-baudot50-450-8k.wav"), -1.0, -1.0},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto found = Followed(c.sound);
        ASSERT_TRUE(found.has_value());
        if (c.low < 0.0) {
            // minimodem's tones: a shift of 170 or 450 Hz, within two bins.
            const double shift = found->highHz - found->lowHz;
            EXPECT_TRUE(std::abs(shift - 170.0) < 23.4 || std::abs(shift - 450.0) < 23.4) << found->lowHz << " " << found->highHz;
            continue;
        }
        EXPECT_NEAR(found->lowHz, c.low, 11.7);
        EXPECT_NEAR(found->highHz, c.high, 11.7);
    }
}

// Nothing keyed, nothing found: noise alone, a carrier in noise, two steady
// carriers, silence, and fewer blocks than the follower looks back over.
TEST(ToneFollower, NothingKeyedFindsNothing) {
    const std::size_t blocks = 10 * 32768;
    std::vector<std::int16_t> carrier = Noise(blocks, 800.0), pair(blocks);
    for (std::size_t n = 0; n < blocks; ++n) {
        const double t = static_cast<double>(n) / 48000.0;
        carrier[n] = static_cast<std::int16_t>(carrier[n] + 8000.0 * std::sin(2.0 * std::numbers::pi * 1700.0 * t));
        pair[n] = static_cast<std::int16_t>(8000.0 * std::sin(2.0 * std::numbers::pi * 1500.0 * t) +
                                            6000.0 * std::sin(2.0 * std::numbers::pi * 1670.0 * t));
    }
    std::vector<std::int16_t> few = Keyed(1500.0, 2000.0, std::nullopt, 1);
    few.resize(32768 * (ToneFollower::kBlocks - 1));
    const struct {
        const char* what;
        std::vector<std::int16_t> sound;
    } cases[] = {
        {"noise", Noise(blocks, 3000.0)},
        {"carrier in noise", carrier},
        {"two steady carriers", pair},
        {"silence", std::vector<std::int16_t>(blocks, 0)},
        {"too few blocks", few},
    };
    for (const auto& c : cases) EXPECT_FALSE(Followed(c.sound).has_value()) << c.what;
    ToneFollower follower;
    EXPECT_THROW(follower.Add(nullptr, 3000), std::invalid_argument);
}

// Tones 170 Hz apart overlap in one 80-sample window; the picture adds
// windows up in phase until they part: a keyed 2125 / 2295 Hz signal draws
// the cross (ellipses flat or upright, few round) and a plausible S/N, as
// 1500 / 2000 Hz does with single windows.
TEST(TuningScope, NarrowShiftDrawsTheCross) {
    const DemodSettings narrow{2125.0F, 2295.0F, 50.0F};
    const ToneResponse response = MeasureToneResponse(narrow);
    EXPECT_EQ(response.group, 3u);
    EXPECT_LT(response.leak, 0.1);
    EXPECT_EQ(MeasureToneResponse(DemodSettings{}).group, 1u);
    RttySynthSettings synth;
    synth.markHz = 2125.0;
    synth.spaceHz = 2295.0;
    synth.snrDb = 15.0;
    std::vector<SoftWindow> soft;
    roundtrip::LevelsThroughCapture(SynthesizeRtty("RYRY CQ CQ DE MORVANE THE QUICK BROWN FOX 73", synth), narrow,
                                    {.soft = &soft});
    const TuningPicture p = MeasureTuning(soft, soft.size() - 2000, response);
    EXPECT_TRUE(p.signal) << p.snrDb;
    EXPECT_LT(p.snrDb, 40.0);
    ASSERT_FALSE(p.ellipses.empty());
    std::size_t round = 0;
    for (const auto& e : p.ellipses)
        if (std::min(e.tone1, e.tone2) > 0.5F * std::max(e.tone1, e.tone2)) ++round;
    EXPECT_LT(round, p.ellipses.size() / 3) << round << " of " << p.ellipses.size();
}

// Finer than the strip: two tones 6 Hz apart (half a strip bin) show as
// two bright columns with a darker one between once the row has the
// block's detail; from the strip's bins alone they merge.
TEST(TuningWaterfall, FineDetailPartsTonesCloserThanABin) {
    std::vector<std::int16_t> two(32768);
    for (std::size_t n = 0; n < two.size(); ++n) {
        const double t = static_cast<double>(n) / 48000.0;
        two[n] = static_cast<std::int16_t>(8000.0 * std::sin(2.0 * std::numbers::pi * 2125.0 * t) +
                                           8000.0 * std::sin(2.0 * std::numbers::pi * 2131.0 * t));
    }
    std::unique_ptr<float[]> spectrum;
    ComputeSpectrum(two.data(), two.size(), spectrum, kFftSize);
    auto peaks = [](const std::vector<std::uint8_t>& row, const TuningWaterfall& fall) {
        // The greys at both tones and halfway.
        auto at = [&](double hz) { return int(row[static_cast<std::size_t>(std::floor(fall.ColumnOf(hz)))]); };
        return std::array<int, 3>{at(2125.0), at(2128.0), at(2131.0)};
    };
    TuningWaterfall fall(300, 2);
    fall.SetView(2128.0, 0);  // 1 Hz a column
    fall.AddSpectrum(spectrum.get(), kFftSize);
    const std::vector<std::uint8_t> coarse(fall.Pixels().begin() + 300, fall.Pixels().end());
    fall.AddFine(two.data(), two.size());
    const std::vector<std::uint8_t> fine(fall.Pixels().begin() + 300, fall.Pixels().end());
    const auto c = peaks(coarse, fall), f = peaks(fine, fall);
    EXPECT_GE(c[1], std::min(c[0], c[2]) - 2) << c[0] << " " << c[1] << " " << c[2];  // merged
    EXPECT_LT(f[1], std::min(f[0], f[2]) - 10) << f[0] << " " << f[1] << " " << f[2];  // parted
    // The same greys as the strip away from the tones, give or take the windows' noise floors.
    EXPECT_NEAR(f[0], c[0], 25);
    // A short block adds no detail; a row keeps its detail when the view moves.
    TuningWaterfall other(300, 2);
    other.SetView(2128.0, 0);
    other.AddSpectrum(spectrum.get(), kFftSize);
    other.AddFine(two.data(), 100);
    EXPECT_EQ(std::vector<std::uint8_t>(other.Pixels().begin() + 300, other.Pixels().end()), coarse);
    fall.SetView(2129.0, 0);
    const std::vector<std::uint8_t> moved(fall.Pixels().begin() + 300, fall.Pixels().end());
    EXPECT_LT(peaks(moved, fall)[1], std::min(peaks(moved, fall)[0], peaks(moved, fall)[2]) - 10);
}
