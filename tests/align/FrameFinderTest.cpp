#include <gtest/gtest.h>

#include <random>

#include "AlignSupport.h"
#include "synth/RttySynth.h"

using namespace morvane;
using namespace morvane::aligntest;

namespace {

const std::string kPlain = "RYRY CQ CQ DE MORVANE THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789\n"
                           "NOW IS THE TIME FOR ALL GOOD MEN TO COME TO THE AID OF THE PARTY -/.,:() 73\n";

std::string CrLf(std::string text) {
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2) text.insert(at, "\r");
    return text;
}

// Groups of five random letters, and of five random figures.
std::string RandomGroups(std::size_t groups, std::uint32_t seed) {
    std::mt19937 random(seed);
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ", figures = "0123456789";
    std::string text;
    for (std::size_t g = 0; g < groups; ++g) {
        const std::string& set = g % 4 == 3 ? figures : letters;
        for (int i = 0; i < 5; ++i) text += set[random() % set.size()];
        text += g % 10 == 9 ? '\n' : ' ';
    }
    return text;
}

struct Case {
    const char* name;
    std::string text;
    RttySynthSettings synth;
    double leadingNoiseSeconds = 0.0;  // noise only, before the transmission
    std::string secondText;            // a second transmission after an idle gap
    double maxCer = 0.0;
};

RttySynthSettings Synth(double baud, double stopBits, double mark, double space) {
    RttySynthSettings s;
    s.baud = baud;
    s.stopBits = stopBits;
    s.markHz = mark;
    s.spaceHz = space;
    return s;
}

RttySynthSettings Noisy(RttySynthSettings s, double snrDb) {
    s.snrDb = snrDb;
    return s;
}

std::vector<std::int16_t> Sound(const Case& c) {
    std::vector<std::int16_t> samples;
    if (c.leadingNoiseSeconds > 0.0) samples = Noise(static_cast<std::size_t>(c.leadingNoiseSeconds * 48000), 6000.0, 7);
    const std::vector<std::int16_t> first = SynthesizeRtty(c.text, c.synth);
    samples.insert(samples.end(), first.begin(), first.end());
    if (!c.secondText.empty()) {
        RttySynthSettings second = c.synth;
        second.idleSeconds = 1.3;  // with the first's tail: a gap of 1.8 s of idle mark
        second.seed += 1;
        const std::vector<std::int16_t> more = SynthesizeRtty(c.secondText, second);
        samples.insert(samples.end(), more.begin(), more.end());
    }
    return samples;
}

}  // namespace

TEST(FrameFinder, FindsAndDecodesTheTable) {
    const std::vector<Case> cases = {
        {"50 Bd 1.5 stop", kPlain, Synth(50, 1.5, 1500, 2000)},
        {"45.45 Bd 1.5 stop, 170 Hz shift", kPlain, Synth(45.45, 1.5, 2125, 2295)},
        {"75 Bd 1 stop", kPlain, Synth(75, 1, 1275, 1445)},
        {"100 Bd 2 stop, 850 Hz shift", kPlain, Synth(100, 2, 1000, 1850)},
        {"150 Bd 1 stop", kPlain, Synth(150, 1, 1200, 2200)},
        {"30 Bd 2 stop", kPlain, Synth(30, 2, 800, 1200)},
        {"mark is the high tone", kPlain, Synth(50, 1.5, 2000, 1500)},
        {"+0.5 % rate", kPlain, Synth(50 * 1.005, 1.5, 1500, 2000)},
        {"-0.5 % rate", kPlain, Synth(45.45 * 0.995, 1, 1500, 2000)},
        {"random letter groups", RandomGroups(60, 11), Synth(50, 1.5, 1500, 2000)},
        {"leading noise", kPlain, Synth(50, 1.5, 1500, 2000), 4.0},
        {"idle gap between two transmissions", kPlain + "QRT\n", Synth(50, 1.5, 1500, 2000), 0.0, RandomGroups(20, 5)},
        {"10 dB", kPlain, Noisy(Synth(50, 1.5, 1500, 2000), 10.0)},
        {"0 dB", RandomGroups(60, 3), Noisy(Synth(50, 1.5, 1500, 2000), 0.0), 0.0, "", 0.01},
    };
    for (const Case& c : cases) {
        const AutoResult r = AutoDecode(Sound(c));
        const std::string expected = CrLf(c.text + c.secondText);
        const double cer = static_cast<double>(EditDistance(r.text, expected)) / static_cast<double>(expected.size());
        std::printf("%-36s tones %7.1f %7.1f  baud %7.3f stop %.1f frame %7.3f pol %+d dir %d conf %.2f frames %lld CER %.4f\n",
                    c.name, r.tones.lowHz, r.tones.highHz, r.alignment.baud, r.alignment.model.stopBits,
                    r.alignment.model.frame, r.alignment.model.polarity, r.alignment.reverseDirection,
                    r.alignment.confidence, static_cast<long long>(r.alignment.frames), cer);
        ASSERT_TRUE(r.alignment.found) << c.name << ": " << r.alignment.reason;
        if (c.maxCer == 0.0) EXPECT_EQ(r.text, expected) << c.name;
        else EXPECT_LE(cer, c.maxCer) << c.name << "\n" << r.text;
    }
}
