#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "channel/HfChannel.h"
#include "sitor/SitorDecoder.h"
#include "sitor/SitorDemodulator.h"
#include "sitor/SitorSynth.h"
#include "SitorTestSignals.h"
#include "support/NoisyReadingSupport.h"
#include "synth/RttySynth.h"

namespace morvane::sitor {
namespace {

const std::string kText = "ZCZC EA01\r\nGALE WARNING SEA AREA 12 WINDS 8 TO 9.\r\nNNNN";

SitorReading Read(const std::vector<std::int16_t>& samples, double low, double high, CopyChoice choice) {
    SitorDemodulator demod(low, high);
    // Pushed in uneven pieces, as a recording is read.
    for (std::size_t at = 0; at < samples.size(); at += 7001)
        demod.Push(samples.data() + at, std::min<std::size_t>(7001, samples.size() - at));
    demod.Finish();
    return ReadSitorB(demod.Bits(), choice);
}

TEST(SitorReading, CleanAndNoisyTransmissionsReadBack) {
    struct Case {
        const char* name;
        std::optional<double> snr;
        bool swapTones;  // mark on the low tone
        double baud;
    } cases[] = {
        {"clean", std::nullopt, false, 100.0},
        {"0 dB", 0.0, false, 100.0},
        {"mark low", 3.0, true, 100.0},
        {"sender 300 ppm fast", 10.0, false, 100.03},
    };
    for (const Case& c : cases) {
        SitorSynthSettings s;
        s.snrDb = c.snr;
        s.baud = c.baud;
        if (c.swapTones) std::swap(s.markHz, s.spaceHz);
        // A long text for the slow slip of an off-rate sender (about two bits a minute).
        std::string text = kText;
        if (c.baud != 100.0)
            for (int i = 0; i < 12; ++i) text += "\r\nTHE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 1234567890";
        const SitorReading r = Read(SynthesizeSitorB(text, s), 1615.0, 1785.0, CopyChoice::Margin);
        const std::string got = SitorText(r.characters);
        EXPECT_LE(noisy::EditDistance(got, text + "\r\n"), 2u) << c.name << ": " << got.substr(0, 80);
        EXPECT_EQ(r.strongest.inverted, c.swapTones) << c.name;
    }
}

TEST(SitorReading, TimeDiversityMendsAFadingChannel) {
    SitorSynthSettings s;
    const std::string text = kText + "\r\n" + kText + "\r\n" + kText;
    ChannelSettings ch;
    ch.profile = PresetProfile("poor");
    ch.snrDb = 3.0;
    ch.seed = 5;
    const std::vector<std::int16_t> samples = ApplyChannel(SynthesizeSitorB(text, s), ch);
    const std::size_t dxOnly = noisy::EditDistance(SitorText(Read(samples, 1615, 1785, CopyChoice::DxOnly).characters), text + "\r\n");
    const std::size_t both = noisy::EditDistance(SitorText(Read(samples, 1615, 1785, CopyChoice::Margin).characters), text + "\r\n");
    EXPECT_LT(both, dxOnly);
    EXPECT_LE(both, text.size() / 20);
}

TEST(SitorReading, NoiseAndBaudotHoldNoSitor) {
    for (std::uint64_t seed = 1; seed <= 4; ++seed) {
        SitorSynthSettings s;
        s.snrDb = -40.0;  // noise far above the signal: noise alone
        s.seed = seed;
        const SitorReading r = Read(SynthesizeSitorB(kText, s), 1615, 1785, CopyChoice::Margin);
        EXPECT_EQ(r.lockedBlocks, 0) << seed;
        EXPECT_TRUE(r.characters.empty()) << seed;
    }
    const RttySynthSettings b = sitortest::BaudotOnSitorTones();
    const SitorReading r = Read(SynthesizeRtty("RYRY THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789 " "RYRY THE QUICK BROWN FOX", b), 1615, 1785, CopyChoice::Margin);
    EXPECT_EQ(r.lockedBlocks, 0);
}

}  // namespace
}  // namespace morvane::sitor
