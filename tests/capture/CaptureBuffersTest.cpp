#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <vector>

#include "capture/BlockHandling.h"
#include "capture/CaptureBuffers.h"
#include "dsp/FskDemodulator.h"

using namespace morvane;

namespace {

// A block of a 1500 Hz tone of the given peak (16 samples per half period).
std::vector<std::int16_t> ToneBlock(std::size_t samples, std::int16_t peak, int phase = 0) {
    std::vector<std::int16_t> s(samples);
    for (std::size_t i = 0; i < samples; ++i)
        s[i] = static_cast<std::int16_t>(std::lround(peak * std::sin(2 * M_PI * 1500.0 * static_cast<double>(i + phase) / 48000.0)));
    return s;
}

std::int32_t Bytes(const std::vector<std::int16_t>& s) { return static_cast<std::int32_t>(2 * s.size()); }

std::vector<std::int16_t> PendingSamples(const CaptureBuffers& b) {
    std::vector<std::int16_t> s(static_cast<std::size_t>(b.Fill()) / 2);
    std::memcpy(s.data(), b.PendingBytes(), s.size() * 2);
    return s;
}

std::int32_t Peak(const std::vector<std::int16_t>& s) {
    std::int32_t peak = 0;
    for (std::int16_t x : s) peak = std::max(peak, std::abs(static_cast<std::int32_t>(x)));
    return peak;
}

}  // namespace

TEST(CaptureBuffers, EachBlockIsNormalisedOnItsOwn) {
    CaptureBuffers b(4000);
    b.SetRecording(true);
    const struct {
        std::int16_t peak;
        std::int32_t after;
    } cases[] = {{300, 24900}, {12500, 25000}, {30000, 30000}, {1000, 25000}};
    std::vector<std::int16_t> expected;
    for (const auto& c : cases) {
        auto block = ToneBlock(2000, c.peak);
        ASSERT_TRUE(b.HandleBlock(block.data(), Bytes(block)));
        EXPECT_EQ(Peak(block), c.after) << c.peak;  // scaled in place
        EXPECT_EQ(b.Newest(), block) << c.peak;     // and kept as the newest block
        expected.insert(expected.end(), block.begin(), block.end());
    }
    EXPECT_EQ(PendingSamples(b), expected);
}

TEST(CaptureBuffers, PendingLimitIsStrictRecordingOrNot) {
    const struct {
        bool recording;
        std::int32_t fillBefore;  // bytes already pending
        std::int32_t blockBytes;
        bool taken;
    } cases[] = {
        {true, 0, 65536, true},         {true, 768000 - 65536 - 2, 65536, true}, {true, 768000 - 65536, 65536, false},
        {true, 768000 - 65536 + 2, 65536, false}, {false, 0, 767998, true},       {false, 0, 768000, false},
        {true, 0, 767998, true},        {true, 0, 768000, false},
    };
    for (const auto& c : cases) {
        CaptureBuffers b(65536);
        if (c.fillBefore > 0) {
            b.SetRecording(true);
            std::vector<std::int16_t> filler(static_cast<std::size_t>(c.fillBefore) / 2, 7);
            ASSERT_TRUE(b.HandleBlock(filler.data(), c.fillBefore));
        }
        b.SetRecording(c.recording);
        const auto newestBefore = b.Newest();
        const auto original = ToneBlock(static_cast<std::size_t>(c.blockBytes) / 2, 300);
        auto block = original;
        const std::int32_t fillBefore = b.Fill();
        EXPECT_EQ(b.HandleBlock(block.data(), c.blockBytes), c.taken) << c.fillBefore << " + " << c.blockBytes;
        if (c.taken) {
            EXPECT_EQ(Peak(block), 24900);
            EXPECT_EQ(b.Fill(), fillBefore + (c.recording ? c.blockBytes : 0));
        } else {
            // Dropped whole: not scaled, not copied, not announced.
            EXPECT_EQ(block, original) << c.fillBefore << " + " << c.blockBytes;
            EXPECT_EQ(b.Newest(), newestBefore);
            EXPECT_EQ(b.Fill(), fillBefore);
        }
    }
}

TEST(CaptureBuffers, NotRecordingKeepsPendingUntouched) {
    CaptureBuffers b(1000);
    b.SetRecording(true);
    auto first = ToneBlock(500, 300);
    ASSERT_TRUE(b.HandleBlock(first.data(), Bytes(first)));
    const auto pending = PendingSamples(b);
    b.SetRecording(false);
    auto second = ToneBlock(500, 1000, 7);
    EXPECT_TRUE(b.HandleBlock(second.data(), Bytes(second)));
    EXPECT_EQ(b.Newest(), second);
    EXPECT_EQ(PendingSamples(b), pending);
    EXPECT_EQ(b.Fill(), 1000);
}

TEST(CaptureBuffers, RefusesEmptyOrMissingBlocks) {
    CaptureBuffers b(8);
    b.SetRecording(true);
    std::int16_t one = 5;
    EXPECT_FALSE(b.HandleBlock(&one, 0));
    EXPECT_FALSE(b.HandleBlock(&one, -2));
    EXPECT_FALSE(b.HandleBlock(nullptr, 2));
    EXPECT_EQ(one, 5);
    EXPECT_EQ(b.Fill(), 0);
    EXPECT_THROW(CaptureBuffers(1), std::invalid_argument);
    EXPECT_THROW(CaptureBuffers(-4), std::invalid_argument);
}

TEST(CaptureBuffers, ShortAndOddSizedBlocks) {
    // The newest block takes min(n, its size) bytes; the rest keeps the previous block.
    CaptureBuffers b(8);
    b.SetRecording(true);
    std::vector<std::int16_t> full{100, 200, 300, 400};
    ASSERT_TRUE(b.HandleBlock(full.data(), 8));
    std::vector<std::int16_t> shorter{-1, -2};
    ASSERT_TRUE(b.HandleBlock(shorter.data(), 4));
    EXPECT_EQ(b.Newest(), (std::vector<std::int16_t>{-12500, -25000, 18600, 24800}));
    std::vector<std::int16_t> longer{1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(b.HandleBlock(longer.data(), 12));
    EXPECT_EQ(b.Newest(), (std::vector<std::int16_t>{4166, 8332, 12498, 16664}));
    EXPECT_EQ(b.Fill(), 24);

    // An odd newest size still holds all its bytes.
    CaptureBuffers odd(3);
    std::vector<std::int16_t> block{0x0101, 0x0202, 0x0303};
    ASSERT_TRUE(odd.HandleBlock(block.data(), 6));
    ASSERT_EQ(odd.Newest().size(), 2u);
    EXPECT_EQ(odd.Newest()[0], static_cast<std::int16_t>(block[0]));
    EXPECT_EQ(odd.Newest()[1] & 0xff, block[1] & 0xff);
}

TEST(CaptureBuffers, DemodulationConsumesAndKeepsTheLeftoverAtTheFront) {
    CaptureBuffers b;
    b.SetRecording(true);
    auto block = ToneBlock(32768, 20000, 22);  // first rising crossing at index 9
    ASSERT_TRUE(b.HandleBlock(block.data(), Bytes(block)));
    const auto before = PendingSamples(b);

    std::vector<std::int32_t> direct;
    const std::int32_t expected = Demodulate({}, kCaptureFormat, before.data(), Bytes(before), direct);
    std::vector<std::int32_t> levels;
    const std::int32_t consumed = b.DemodulatePending({}, kCaptureFormat, levels);
    EXPECT_EQ(consumed, expected);
    EXPECT_EQ(levels, direct);
    EXPECT_EQ(levels.size(), 407u);
    ASSERT_EQ(b.Fill(), 65536 - consumed);
    EXPECT_EQ(PendingSamples(b), std::vector<std::int16_t>(before.begin() + consumed / 2, before.end()));

    // A second demodulation for the same block finds fewer than three windows:
    // no level, and only the samples in front of the first rising crossing go.
    const auto leftover = PendingSamples(b);
    std::int32_t start = 0;
    for (std::size_t i = 0; i + 1 < leftover.size() && i < 128; ++i)
        if (leftover[i] < 0 && leftover[i + 1] >= 0) {
            start = static_cast<std::int32_t>(i);
            break;
        }
    ASSERT_GT(start, 0);
    EXPECT_EQ(b.DemodulatePending({}, kCaptureFormat, levels), 2 * start);
    EXPECT_EQ(levels.size(), 407u);
    EXPECT_EQ(PendingSamples(b), std::vector<std::int16_t>(leftover.begin() + start, leftover.end()));

    // The leftover is demodulated in front of the next block.
    auto next = ToneBlock(32768, 20000, 3);
    ASSERT_TRUE(b.HandleBlock(next.data(), Bytes(next)));
    auto joined = PendingSamples(b);
    ASSERT_EQ(joined.size(), leftover.size() - start + next.size());
    std::vector<std::int32_t> joinedDirect;
    const std::int32_t joinedConsumed = Demodulate({}, kCaptureFormat, joined.data(), Bytes(joined), joinedDirect);
    EXPECT_EQ(b.DemodulatePending({}, kCaptureFormat, levels), joinedConsumed);
    EXPECT_EQ(std::vector<std::int32_t>(levels.begin() + 407, levels.end()), joinedDirect);
}

TEST(CaptureBuffers, NothingPendingConsumesNothing) {
    CaptureBuffers b;
    std::vector<std::int32_t> levels;
    EXPECT_EQ(b.DemodulatePending({}, kCaptureFormat, levels), 0);
    EXPECT_TRUE(levels.empty());
    EXPECT_EQ(b.Fill(), 0);
}

TEST(CaptureBuffers, SoftStreamKeepsOnePhaseReferenceAcrossCalls) {
    // A steady tone (1500 Hz, then 2000 Hz) in blocks of odd sizes, so that
    // every call starts at another phase and drops samples before its start:
    // neighbouring windows still point the same way, across calls too, and
    // the levels are those of a run without the soft stream.
    for (const double hz : {1500.0, 2000.0}) {
        std::vector<std::int16_t> tone(200000);
        for (std::size_t i = 0; i < tone.size(); ++i)
            tone[i] = static_cast<std::int16_t>(std::lround(20000 * std::sin(2 * M_PI * hz * static_cast<double>(i) / 48000.0)));
        CaptureBuffers buffers, plainBuffers;
        buffers.SetRecording(true);
        plainBuffers.SetRecording(true);
        std::vector<std::int32_t> levels, plainLevels;
        std::vector<SoftWindow> soft;
        int calls = 0;
        for (std::size_t at = 0, size = 777; at < tone.size(); at += size, size = size * 3 % 9001 + 500) {
            const std::size_t n = std::min(size, tone.size() - at);
            std::vector<std::int16_t> block(tone.begin() + static_cast<std::ptrdiff_t>(at),
                                            tone.begin() + static_cast<std::ptrdiff_t>(at + n));
            std::vector<std::int16_t> copy = block;
            buffers.HandleBlock(block.data(), static_cast<std::int32_t>(2 * n));
            plainBuffers.HandleBlock(copy.data(), static_cast<std::int32_t>(2 * n));
            calls += buffers.DemodulatePending({}, kCaptureFormat, levels, {.soft = &soft}) > 0;
            plainBuffers.DemodulatePending({}, kCaptureFormat, plainLevels);
        }
        ASSERT_GT(calls, 20);
        ASSERT_EQ(levels, plainLevels);
        ASSERT_EQ(soft.size(), levels.size());
        for (std::size_t k = 1; k < soft.size(); ++k) {
            const auto a = hz == 1500.0 ? soft[k].Tone1() : soft[k].Tone2();
            const auto b = hz == 1500.0 ? soft[k - 1].Tone1() : soft[k - 1].Tone2();
            ASSERT_GT(std::real(a * std::conj(b)) / std::abs(a) / std::abs(b), 0.99) << hz << " Hz, window " << k;
        }
    }
}

// The samples handed out with the levels are the sound as it came, whatever
// each block's gain was (doubled, left alone above 25 000, silence), in
// order, each once: also when a call consumes only part of what is pending,
// and when a call that did not ask lets its samples go.
TEST(CaptureBuffers, HandsOutTheSamplesAsTheyCame) {
    const struct {
        std::int16_t peak;
        std::size_t samples;
        bool ask;  // the call after this block asks for the samples
    } cases[] = {{300, 3000, true}, {12500, 2000, true}, {30000, 1111, true}, {0, 500, true},
                 {-1, 700, false},  {1000, 2500, true},  {7, 40, true},       {20000, 3001, true}};
    CaptureBuffers b(4000);
    b.SetRecording(true);
    DemodSettings demod;
    std::vector<std::int32_t> levels;
    std::vector<std::int16_t> sent, got;
    std::int64_t skipped = 0;
    for (const auto& c : cases) {
        std::vector<std::int16_t> block =
            c.peak < 0 ? std::vector<std::int16_t>(c.samples, -3) : ToneBlock(c.samples, c.peak, 5);
        const std::vector<std::int16_t> original = block;
        ASSERT_TRUE(b.HandleBlock(block.data(), Bytes(block)));
        const std::int64_t pendingBefore = b.PendingStart() + b.Fill() / 2;
        if (!c.ask) {
            b.DemodulatePending(demod, kCaptureFormat, levels);
            // What this call consumed is gone; what it left is handed out next time.
            skipped = b.PendingStart() - (pendingBefore - static_cast<std::int64_t>(original.size()));
            sent.insert(sent.end(), original.begin() + skipped, original.end());
            continue;
        }
        sent.insert(sent.end(), original.begin(), original.end());
        b.DemodulatePending(demod, kCaptureFormat, levels, {.samples = &got});
        EXPECT_EQ(b.SamplesHandedOut(), pendingBefore);
    }
    EXPECT_GT(skipped, 0);
    EXPECT_EQ(got, sent);
}
