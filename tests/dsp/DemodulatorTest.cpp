#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "dsp/FskDemodulator.h"

using namespace morvane;

namespace {

constexpr int kWindow = 80;  // samples per level at 48 kHz and 50 baud

std::vector<std::int16_t> Tone(double hz, int count, double amplitude, int phaseSamples = 0) {
    std::vector<std::int16_t> s(count);
    for (int i = 0; i < count; ++i)
        s[i] = static_cast<std::int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * (i + phaseSamples) / 48000.0)));
    return s;
}

// Writes a sine of `hz` into samples [from, from + length), starting at phase zero.
void PutTone(std::vector<std::int16_t>& s, int from, int length, double hz, double amplitude) {
    for (int j = 0; j < length; ++j)
        s[from + j] = static_cast<std::int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * j / 48000.0)));
}

std::vector<std::int16_t> Noise(std::size_t count, std::uint32_t seed, int amplitude) {
    std::vector<std::int16_t> s(count);
    for (auto& x : s) {
        seed = seed * 1664525u + 1013904223u;
        x = static_cast<std::int16_t>(static_cast<int>(seed >> 16) % (2 * amplitude + 1) - amplitude);
    }
    return s;
}

struct Result {
    std::int32_t consumed;
    std::vector<std::int32_t> levels;
};

Result Demod(const std::vector<std::int16_t>& s, std::int32_t byteCount, DemodSettings settings = {}) {
    Result r;
    r.consumed = Demodulate(settings, kCaptureFormat, s.data(), byteCount, r.levels);
    return r;
}

Result Demod(const std::vector<std::int16_t>& s, DemodSettings settings = {}) {
    return Demod(s, static_cast<std::int32_t>(2 * s.size()), settings);
}

// Samples that never cross zero except where a test puts a negative run.
std::vector<std::int16_t> Positive(int count) { return std::vector<std::int16_t>(count, 100); }

}  // namespace

TEST(Demodulator, WorkedExampleWithTheDefaults) {
    // A rising crossing at index 10: sample 10 negative, 11 non-negative.
    std::vector<std::int16_t> s = Tone(1500, 32768, 20000, 22);  // 22 + 10 = 32: one period later
    s[10] = -5;
    s[11] = 3;
    for (int i = 0; i < 10; ++i) s[i] = 100;  // no earlier crossing
    const Result r = Demod(s, 65536);
    EXPECT_EQ(r.consumed, 65140);
    EXPECT_EQ(r.levels.size(), 407u);
    for (std::int32_t v : r.levels) {
        EXPECT_GE(v, 240);
        EXPECT_LE(v, 253);
    }
}

TEST(Demodulator, StartsAtTheLastNegativeSampleOfTheFirstRisingCrossing) {
    const struct {
        const char* name;
        float tone1Hz;
        int negativeFrom, negativeTo;  // samples [from, to] negative; to < 0 for none
        std::int32_t start;
    } cases[] = {
        {"no crossing", 1500.0f, 0, -1, 0},
        {"crossing at index 0", 1500.0f, 0, 0, 0},
        {"crossing at index 10", 1500.0f, 10, 10, 10},
        {"last of a negative run", 1500.0f, 5, 9, 9},
        {"last index inside 4 periods", 1500.0f, 127, 127, 127},
        {"first index beyond 4 periods", 1500.0f, 128, 128, 0},
        {"longer period searches further", 750.0f, 200, 200, 200},
        {"0 Hz: search bounded by the samples", 0.0f, 700, 700, 700},
        {"negative tone: no search", -1500.0f, 10, 10, 0},
    };
    for (const auto& c : cases) {
        auto s = Positive(800);
        for (int i = c.negativeFrom; i <= c.negativeTo; ++i) s[i] = -100;
        const Result r = Demod(s, {c.tone1Hz, 2000.0f, 50.0f});
        const std::int32_t windows = std::min(800 / kWindow - 2, (800 - c.start) / kWindow);
        EXPECT_EQ(r.consumed, 2 * (c.start + windows * kWindow)) << c.name;
        EXPECT_EQ(r.levels.size(), static_cast<std::size_t>(windows)) << c.name;
    }
}

TEST(Demodulator, FewerThanThreeWindowsAppendNothing) {
    const struct {
        std::int32_t byteCount;
        std::int32_t consumed;
        std::size_t levels;
    } cases[] = {
        {-8, 0, 0},         {0, 0, 0},          {1, 0, 0},           {2, 0, 0},
        {24, 20, 0},        {2 * 239, 20, 0},   {2 * 240 - 1, 20, 0}, {2 * 240, 2 * (10 + 80), 1},
        {2 * 319, 2 * (10 + 80), 1}, {2 * 330, 2 * (10 + 160), 2}, {2 * 400, 2 * (10 + 240), 3},
    };
    auto s = Tone(1500, 400, 20000, 22);
    for (int i = 0; i < 10; ++i) s[i] = 100;
    s[10] = -5;
    s[11] = 3;
    for (const auto& c : cases) {
        std::vector<std::int32_t> levels{42};  // levels already there stay untouched
        EXPECT_EQ(Demodulate({}, kCaptureFormat, s.data(), c.byteCount, levels), c.consumed) << c.byteCount;
        EXPECT_EQ(levels.size(), 1 + c.levels) << c.byteCount;
        EXPECT_EQ(levels.front(), 42);
    }
}

TEST(Demodulator, OddByteCountIgnoresTheLastByte) {
    const auto s = Noise(2000, 11, 20000);
    for (std::int32_t samples : {239, 240, 479, 480, 1999}) {
        const Result even = Demod(s, 2 * samples);
        const Result odd = Demod(s, 2 * samples + 1);
        EXPECT_EQ(odd.consumed, even.consumed) << samples;
        EXPECT_EQ(odd.levels, even.levels) << samples;
    }
}

TEST(Demodulator, SilenceThresholdIsInclusive) {
    // Only the middle window carries signal: tone 2 with a peak of exactly `peak`.
    const struct {
        std::int16_t peak;
        bool silent;
    } cases[] = {{255, true}, {-255, true}, {256, false}, {-256, false}};
    for (const auto& c : cases) {
        std::vector<std::int16_t> s(400, 0);
        s[0] = -1;  // rising crossing at index 0
        PutTone(s, kWindow, kWindow, 2000.0, 200.0);
        s[kWindow + 40] = c.peak;
        const Result r = Demod(s);
        ASSERT_EQ(r.levels.size(), 3u);
        EXPECT_EQ(r.levels[0], 128) << c.peak;
        EXPECT_EQ(r.levels[2], 128) << c.peak;
        if (c.silent)
            EXPECT_EQ(r.levels[1], 128) << c.peak;
        else
            EXPECT_LE(r.levels[1], 10) << c.peak;  // tone 2 stronger, scaled to this window
    }
}

TEST(Demodulator, SilentWindowsDoNotWidenTheScale) {
    // Two loud windows of weak tone 1, each with one sample just above the
    // silence threshold; between them a quiet window of stronger tone 1 whose
    // energy would otherwise set the scale.
    auto build = [](bool quietTone) {
        std::vector<std::int16_t> s(6 * kWindow, 0);
        PutTone(s, 0 * kWindow, kWindow, 1500.0, 200.0);
        s[0 * kWindow + 40] = 300;
        if (quietTone) PutTone(s, 1 * kWindow, kWindow, 1500.0, 255.0);
        PutTone(s, 2 * kWindow, kWindow, 1500.0, 150.0);
        s[2 * kWindow + 40] = 300;
        s[0] = -1;
        return s;
    };
    const Result plain = Demod(build(false));
    const Result withQuiet = Demod(build(true));
    ASSERT_EQ(withQuiet.levels.size(), 4u);
    EXPECT_EQ(withQuiet.levels, plain.levels);
    EXPECT_EQ(withQuiet.levels[1], 128);
    EXPECT_GE(withQuiet.levels[0], 240);  // the strongest loud window sets the scale
    EXPECT_EQ(withQuiet.levels[3], 128);
}

TEST(Demodulator, SingleToneWindowAgainstAZeroOtherToneGivesTheExtremes) {
    // At 0 Hz a tone measures the plain sum, which is exactly zero for samples
    // alternating +a, −a; the other tone then carries all the energy e, and the
    // level is 128 ± trunc(e × 125.0 / e). That quotient is 125 for most e but
    // can land one unit of rounding below it (a = 3000 here), giving 252 / 4.
    const struct {
        std::int16_t amplitude;
        float tone1Hz, tone2Hz;
        std::int32_t level;
    } cases[] = {
        {2000, 1500.0f, 0.0f, 253}, {2000, 0.0f, 1500.0f, 3},   {4000, 2000.0f, 0.0f, 253},
        {4000, 0.0f, 2000.0f, 3},   {20000, 1500.0f, 0.0f, 253}, {20000, 0.0f, 2000.0f, 3},
        {3000, 1500.0f, 0.0f, 252}, {3000, 0.0f, 1500.0f, 4},
    };
    for (const auto& c : cases) {
        std::vector<std::int16_t> s(4 * kWindow, 0);
        for (int j = 0; j < kWindow; ++j)
            s[kWindow + j] = static_cast<std::int16_t>(j % 2 == 0 ? c.amplitude : -c.amplitude);
        s[0] = -1;
        const Result r = Demod(s, {c.tone1Hz, c.tone2Hz, 50.0f});
        ASSERT_EQ(r.levels.size(), 2u);
        EXPECT_EQ(r.levels[0], 128);
        EXPECT_EQ(r.levels[1], c.level) << c.amplitude << ": " << c.tone1Hz << " / " << c.tone2Hz;
    }
}

TEST(Demodulator, StrongerToneDecidesTheSide) {
    // Over one window tone 2 leaks more into tone 1 than the other way round
    // (3⅓ against 2½ periods), so its levels stay further from the extreme.
    const struct {
        double hz;
        std::int32_t low, high;
    } cases[] = {{1500.0, 240, 253}, {2000.0, 3, 30}};
    for (const auto& c : cases) {
        const Result strong = Demod(Tone(c.hz, 4000, 20000.0, -1));
        const Result weak = Demod(Tone(c.hz, 4000, 400.0, -1));
        ASSERT_EQ(strong.levels.size(), 48u);
        ASSERT_EQ(weak.levels.size(), 48u);
        for (std::size_t k = 0; k < strong.levels.size(); ++k) {
            EXPECT_GE(strong.levels[k], c.low) << c.hz << " Hz, window " << k;
            EXPECT_LE(strong.levels[k], c.high) << c.hz << " Hz, window " << k;
            // A weak block is scaled to its own strongest window just like a strong one.
            EXPECT_NEAR(weak.levels[k], strong.levels[k], 1) << c.hz << " Hz, window " << k;
        }
    }
}

TEST(Demodulator, ToneFrequencyEdgeCases) {
    const auto s = Noise(4000, 21, 20000);
    // A negative tone measures as its positive counterpart (the start search
    // aside, so compare from an input that has its first crossing at index 0).
    auto aligned = s;
    aligned[0] = -1;
    aligned[1] = 1;
    EXPECT_EQ(Demod(aligned, {-1500.0f, 2000.0f, 50.0f}).levels, Demod(aligned, {1500.0f, 2000.0f, 50.0f}).levels);
    EXPECT_EQ(Demod(aligned, {1500.0f, -2000.0f, 50.0f}).levels, Demod(aligned, {1500.0f, 2000.0f, 50.0f}).levels);
    // Equal tones: every level is 128.
    for (std::int32_t v : Demod(s, {1800.0f, 1800.0f, 50.0f}).levels) EXPECT_EQ(v, 128);
    // 0 Hz measures the plain sum: a positive offset wins against tone 2.
    std::vector<std::int16_t> offset(800, 1000);
    offset[0] = -1;
    const Result dc = Demod(offset, {0.0f, 2000.0f, 50.0f});
    ASSERT_EQ(dc.levels.size(), 8u);
    for (std::int32_t v : dc.levels) EXPECT_GE(v, 240);
    // Quiet input: every level is 128.
    for (std::int32_t v : Demod(Noise(4000, 5, 255)).levels) EXPECT_EQ(v, 128);
    // Non-numbers are refused; nothing is appended.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const DemodSettings bad : {DemodSettings{nan, 2000.0f, 50.0f}, DemodSettings{1500.0f, inf, 50.0f},
                                    DemodSettings{-inf, 2000.0f, 50.0f}}) {
        std::vector<std::int32_t> levels;
        EXPECT_THROW(Demodulate(bad, kCaptureFormat, s.data(), 8000, levels), std::invalid_argument);
        EXPECT_TRUE(levels.empty());
    }
    std::vector<std::int32_t> levels;
    EXPECT_THROW(Demodulate({}, kCaptureFormat, nullptr, 8000, levels), std::invalid_argument);
}

TEST(Demodulator, WindowLengthFollowsRateAndSpeed) {
    const auto s = Noise(4800, 8, 20000);
    const struct {
        std::uint32_t rate;
        float baud;
        std::int32_t window;  // 0: no window fits
    } cases[] = {{48000, 50.0f, 80}, {48000, 45.45f, 88}, {8000, 50.0f, 13}, {48000, 0.0f, 0},
                 {48000, -50.0f, 0}, {48000, std::numeric_limits<float>::quiet_NaN(), 0}, {0, 50.0f, 0},
                 {48000, 1e-9f, 0}};
    for (const auto& c : cases) {
        CaptureFormat format;
        format.samplesPerSec = c.rate;
        std::vector<std::int32_t> levels;
        auto aligned = s;
        aligned[0] = -1;
        aligned[1] = 1;
        const std::int32_t consumed =
            Demodulate({1500.0f, 2000.0f, c.baud}, format, aligned.data(), 9600, levels);
        const std::int32_t windows = c.window > 0 ? 4800 / c.window - 2 : 0;
        EXPECT_EQ(levels.size(), static_cast<std::size_t>(windows)) << c.rate << " " << c.baud;
        EXPECT_EQ(consumed, 2 * windows * c.window) << c.rate << " " << c.baud;
    }
}

TEST(Demodulator, FastKernelMatchesThePlainArithmetic) {
    // Tone-keyed signal with noise, so both tones and silence occur.
    std::vector<std::int16_t> s(70000);
    std::uint32_t r = 12345;
    for (std::size_t i = 0; i < s.size(); ++i) {
        r = r * 1664525u + 1013904223u;
        const double hz = (i / 960) % 3 == 0 ? 1500.0 : 2000.0;
        const double amplitude = (i / 4000) % 5 == 4 ? 200.0 : 10000.0;
        s[i] = static_cast<std::int16_t>(amplitude * std::sin(2 * M_PI * hz * static_cast<double>(i) / 48000.0) +
                                         static_cast<std::int16_t>(r >> 16) / 8);
    }
    const DemodSettings tones[] = {{1500.0f, 2000.0f, 50.0f}, {0.0f, 2000.0f, 50.0f},   {-700.0f, 1234.5f, 50.0f},
                                   {2125.0f, 2295.0f, 50.0f}, {3200.0f, 200.0f, 45.45f}, {1.0f, 47999.0f, 50.0f},
                                   {1800.0f, 1800.0f, 50.0f}, {1500.0f, 2000.0f, 100.0f}};
    const std::int32_t offsets[] = {0, 1, 37, 961};
    const std::int32_t lengths[] = {0, 3, 479, 480, 481, 2 * 1000 + 1, 65536, 95999, 131072};
    // Every kernel this processor can run, and the one Demodulate picks.
    const std::vector<DemodKernel> kernels = SupportedDemodKernels();
    ASSERT_FALSE(kernels.empty());
    EXPECT_EQ(kernels.front(), DemodKernel::Sse2);
    for (const auto& ds : tones)
        for (std::int32_t offset : offsets)
            for (std::int32_t length : lengths) {
                std::vector<std::int32_t> plain{7};
                std::vector<SoftWindow> plainSoft(1);
                const std::int16_t* data = s.data() + offset;
                const std::int32_t consumed = DemodulateReference(ds, kCaptureFormat, data, length, plain, &plainSoft);
                for (int k = 0; k <= static_cast<int>(kernels.size()); ++k) {
                    const bool chosen = k == static_cast<int>(kernels.size());
                    const std::string what = std::string(chosen ? "Demodulate" : DemodKernelName(kernels[k])) + " " +
                                             std::to_string(ds.tone1Hz) + "/" + std::to_string(ds.tone2Hz) +
                                             " offset " + std::to_string(offset) + " length " + std::to_string(length);
                    std::vector<std::int32_t> a{7};
                    std::vector<SoftWindow> softA(1);
                    ASSERT_EQ(chosen ? Demodulate(ds, kCaptureFormat, data, length, a, &softA)
                                     : DemodulateWithKernel(kernels[k], ds, kCaptureFormat, data, length, a, &softA),
                              consumed)
                        << what;
                    ASSERT_EQ(a, plain) << what;
                    ASSERT_EQ(softA.size(), a.size()) << what;
                    ASSERT_EQ(0, std::memcmp(softA.data(), plainSoft.data(), softA.size() * sizeof(SoftWindow))) << what;
                    // Without the soft stream the levels are the same.
                    std::vector<std::int32_t> c{7};
                    if (chosen) Demodulate(ds, kCaptureFormat, data, length, c);
                    else DemodulateWithKernel(kernels[k], ds, kCaptureFormat, data, length, c);
                    ASSERT_EQ(c, plain) << what;
                }
            }
}

TEST(Demodulator, FastPeakMatchesAtEveryPositionOfTheWindow) {
    // A window of quiet tone 1 (peak below the threshold) with one sample at
    // the threshold or beyond, placed at every position, in each of four
    // neighbouring windows, for window lengths that are and are not multiples
    // of eight. Only that sample decides whether the window counts.
    const struct {
        std::uint32_t rate;
        std::int32_t window;
    } sizes[] = {{48000, 80}, {8000, 13}, {4800, 8}, {52800, 88}};
    const std::int16_t values[] = {255, -255, 256, -256, -32768, 32767};
    for (const auto& size : sizes) {
        CaptureFormat format;
        format.samplesPerSec = size.rate;
        const std::int32_t n = size.window;
        for (std::int16_t value : values) {
            const bool silent = value == 255 || value == -255;
            for (std::int32_t window = 0; window < 4; ++window) {
                for (std::int32_t j = window == 0 ? 2 : 0; j < n; ++j) {
                    std::vector<std::int16_t> s(static_cast<std::size_t>(8 * n), 0);
                    PutTone(s, window * n, n, 1500.0, 200.0);
                    s[0] = -1;
                    s[1] = 1;
                    s[static_cast<std::size_t>(window * n + j)] = value;
                    std::vector<std::int32_t> fast, plain;
                    const auto bytes = static_cast<std::int32_t>(2 * s.size());
                    ASSERT_EQ(Demodulate({}, format, s.data(), bytes, fast),
                              DemodulateReference({}, format, s.data(), bytes, plain));
                    ASSERT_EQ(fast, plain) << "window of " << n << ", value " << value << " at " << window << "/" << j;
                    for (DemodKernel kernel : SupportedDemodKernels()) {
                        std::vector<std::int32_t> each;
                        DemodulateWithKernel(kernel, {}, format, s.data(), bytes, each);
                        ASSERT_EQ(each, plain) << DemodKernelName(kernel) << ": window of " << n << ", value " << value
                                               << " at " << window << "/" << j;
                    }
                    // Eight samples are too few to tell the tones apart reliably,
                    // and a full-scale spike drowns the tone.
                    if (silent || (n > 8 && std::abs(value) == 256)) {
                        ASSERT_EQ(fast[static_cast<std::size_t>(window)] == 128, silent)
                            << "window of " << n << ", value " << value << " at " << window << "/" << j;
                    }
                }
            }
        }
    }
}

TEST(Demodulator, AppendingKeepsAmortisedGrowth) {
    // Thousands of calls, each appending a few levels to a long stream, must
    // not move the stream on every call.
    const auto s = Tone(1500, 400, 20000, -1);
    std::vector<std::int32_t> levels(100000, 128);
    int moves = 0;
    for (int call = 0; call < 2000; ++call) {
        const std::int32_t* before = levels.data();
        Demodulate({}, kCaptureFormat, s.data(), 800, levels);
        moves += levels.data() != before;
    }
    EXPECT_EQ(levels.size(), 100000u + 2000u * 3u);
    EXPECT_LE(moves, 3);
}

TEST(Demodulator, SoftStreamHoldsTheEnergiesInOnePhaseReference) {
    // A steady tone 1 with a silent stretch: one soft entry per level, the
    // squared magnitudes are the energies behind the levels, silent windows
    // hold zeros, and consecutive windows of the steady tone point the same
    // way once turned to the common phase reference.
    auto s = Tone(1500, 4000, 20000, -1);
    for (int i = 1600; i < 2000; ++i) s[i] = 0;
    std::vector<std::int32_t> levels;
    std::vector<SoftWindow> soft;
    Demodulate({}, kCaptureFormat, s.data(), static_cast<std::int32_t>(2 * s.size()), levels, &soft);
    ASSERT_EQ(soft.size(), levels.size());
    ASSERT_GE(soft.size(), 40u);
    for (std::size_t k = 0; k < soft.size(); ++k) {
        if (levels[k] == 128) {
            EXPECT_EQ(soft[k].Energy1(), 0.0) << k;
            EXPECT_EQ(soft[k].Energy2(), 0.0) << k;
            continue;
        }
        EXPECT_GT(levels[k], 240) << k;
        EXPECT_GT(soft[k].Energy1(), 20.0 * soft[k].Energy2()) << k;  // a little leaks across
        if (k > 0 && levels[k - 1] != 128) {
            const double cosine = std::real(soft[k].Tone1() * std::conj(soft[k - 1].Tone1())) /
                                  std::abs(soft[k].Tone1()) / std::abs(soft[k - 1].Tone1());
            EXPECT_GT(cosine, 0.99) << k;
        }
    }
    EXPECT_EQ(std::count(levels.begin(), levels.end(), 128), 5);  // the windows of the gap
}

// The 16-bit floats of the soft windows, converted in software: the values
// every processor must give, and where the processor has F16C, the same bits
// as its instructions for every half and for floats across the whole range.
TEST(Demodulator, HalvesConvertAsF16cDoes) {
    const struct {
        float value;
        std::uint16_t bits;
    } known[] = {{0.0f, 0x0000},         {-0.0f, 0x8000},        {1.0f, 0x3C00},        {-2.0f, 0xC000},
                 {65504.0f, 0x7BFF},     {65519.0f, 0x7BFF},     {65520.0f, 0x7C00},    {1e9f, 0x7C00},
                 {6.103515625e-5f, 0x0400}, {5.9604645e-8f, 0x0001}, {2.9802322e-8f, 0x0000}, {2.9802326e-8f, 0x0001},
                 {1.00048828125f, 0x3C00}, {1.00146484375f, 0x3C02}, {-std::numeric_limits<float>::infinity(), 0xFC00}};
    for (const auto& k : known) {
        EXPECT_EQ(Half(k.value).Bits(), k.bits) << k.value;
        if (std::fabs(k.value) <= 65504.0f)
            EXPECT_NEAR(static_cast<float>(Half(k.value)), k.value, std::fabs(k.value) / 1024.0f + 6e-8f) << k.value;
    }
    std::vector<SoftWindow> every(65536 / 4);
    for (std::uint32_t b = 0; b < 65536; ++b) {
        SoftWindow& w = every[b / 4];
        Half* lanes[] = {&w.re1, &w.im1, &w.re2, &w.im2};
        *lanes[b % 4] = Half::FromBits(static_cast<std::uint16_t>(b));
    }
    std::vector<float> soft(65536), hard(65536);
    UnpackSoftWindows(every.data(), soft.data(), every.size(), false);
    UnpackSoftWindows(every.data(), hard.data(), every.size(), true);
    ASSERT_EQ(0, std::memcmp(soft.data(), hard.data(), soft.size() * sizeof(float)));
    std::vector<float> floats;
    for (std::uint64_t b = 0; b < (std::uint64_t{1} << 32); b += 4093) {
        floats.push_back(std::bit_cast<float>(static_cast<std::uint32_t>(b)));
    }
    while (floats.size() % 4 != 0) floats.push_back(0.5f);
    std::vector<SoftWindow> packedSoft(floats.size() / 4), packedHard(floats.size() / 4);
    PackSoftWindows(floats.data(), packedSoft.data(), packedSoft.size(), false);
    PackSoftWindows(floats.data(), packedHard.data(), packedHard.size(), true);
    for (std::size_t k = 0; k < packedSoft.size(); ++k)
        ASSERT_EQ(0, std::memcmp(&packedSoft[k], &packedHard[k], sizeof(SoftWindow)))
            << "window " << k << ": " << floats[4 * k] << " " << floats[4 * k + 1] << " " << floats[4 * k + 2] << " "
            << floats[4 * k + 3];
}

TEST(Demodulator, SoftPackingIsTheSameWithAndWithoutF16c) {
    // Values around every rounding case of 16-bit floats: ties, the largest
    // finite value and beyond, subnormals, signed zeros; odd counts leave a
    // window for the plain tail.
    std::vector<float> values;
    std::uint32_t r = 99;
    for (int i = 0; i < 4000; ++i) {
        r = r * 1664525u + 1013904223u;
        const float unit = static_cast<float>(r >> 8) / 16777216.0f - 0.5f;
        values.push_back(unit * std::ldexp(1.0f, static_cast<int>(r % 40) - 24));
    }
    for (float v : {0.0f, -0.0f, 65504.0f, 65519.0f, 65520.0f, 1e6f, -1e6f, 5.96e-8f, 2.98e-8f, 1.0009765625f,
                    1.00048828125f, 1.00146484375f, -2049.0f, 2051.0f})
        values.push_back(v);
    while (values.size() % 4 != 0) values.push_back(1.0f);
    for (std::size_t windows : {values.size() / 4, values.size() / 4 - 1, std::size_t{1}, std::size_t{0}}) {
        std::vector<SoftWindow> plain(windows), fast(windows);
        PackSoftWindows(values.data(), plain.data(), windows, false);
        PackSoftWindows(values.data(), fast.data(), windows, true);
        if (windows == 0) continue;  // nothing to compare (and no storage to point at)
        ASSERT_EQ(0, std::memcmp(plain.data(), fast.data(), windows * sizeof(SoftWindow))) << windows;
        std::vector<float> back1(4 * windows), back2(4 * windows);
        UnpackSoftWindows(plain.data(), back1.data(), windows, false);
        UnpackSoftWindows(plain.data(), back2.data(), windows, true);
        ASSERT_EQ(0, std::memcmp(back1.data(), back2.data(), back1.size() * sizeof(float))) << windows;
        for (std::size_t i = 0; i < back1.size(); ++i) {
            if (std::fabs(values[i]) < 65504.0f) {
                ASSERT_NEAR(back1[i], values[i], std::fabs(values[i]) / 1024.0f + 6e-8f) << i;
            }
        }
    }
}
