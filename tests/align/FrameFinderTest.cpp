#include <gtest/gtest.h>

#include <random>

#include "AlignSupport.h"
#include "decode/BaudotDecoder.h"
#include "support/DecodeRoundTripSupport.h"
#include "decode/BitTransforms.h"
#include "raster/BitExtraction.h"
#include "decode/RowDecoder.h"
#include "support/BetweenTonesSupport.h"
#include "synth/RttySynth.h"
#include <cmath>

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

TEST(FrameFinder, AnswersNotFoundWithoutFrames) {
    std::vector<std::int16_t> tone(48000 * 20);
    for (std::size_t i = 0; i < tone.size(); ++i) tone[i] = static_cast<std::int16_t>(std::lround(12000.0 * std::sin(6.283185307179586 * 1500.0 * i / 48000.0)));
    // The two tones keyed at random moments, without any frame.
    std::mt19937 random(4);
    std::exponential_distribution<double> hold(1.0 / 400.0);
    std::vector<std::int16_t> keying;
    for (double phase = 0.0, f = 1500.0; keying.size() < 48000 * 20; f = 3500.0 - f)
        for (auto n = static_cast<int>(hold(random)) + 40; n > 0; --n) {
            phase += 6.283185307179586 * f / 48000.0;
            keying.push_back(static_cast<std::int16_t>(std::lround(12000.0 * std::sin(phase))));
        }
    // Something like speech: a wandering pitch with its harmonics, in syllables.
    std::vector<std::int16_t> voice(48000 * 12);
    for (std::size_t i = 0; i < voice.size(); ++i) {
        const double t = static_cast<double>(i) / 48000.0;
        const double pitch = 2 * 3.141592653589793 * (140.0 * t - 40.0 / (2 * 3.141592653589793 * 0.3) * std::cos(2 * 3.141592653589793 * 0.3 * t));
        const double gate = std::max(0.0, std::sin(2 * 3.141592653589793 * 4.3 * t + 2.0 * std::sin(2 * 3.141592653589793 * 0.7 * t)));
        double x = 0.0;
        for (int k = 1; k <= 8; ++k) x += std::sin(k * pitch) / k;
        voice[i] = static_cast<std::int16_t>(std::lround(6000.0 * gate * x));
    }
    const struct {
        const char* name;
        std::vector<std::int16_t> samples;
    } cases[] = {
        {"noise only", Noise(48000 * 20, 6000.0, 3)},
        {"one steady tone", tone},
        {"silence", std::vector<std::int16_t>(48000 * 20, 0)},
        {"random keying", keying},
        {"voice", voice},
    };
    for (const auto& c : cases) {
        const AutoResult r = AutoDecode(c.samples);
        EXPECT_FALSE(r.alignment.found) << c.name << ": found " << r.alignment.baud << " baud, text " << r.text;
        EXPECT_FALSE(r.alignment.reason.empty()) << c.name;
        EXPECT_TRUE(r.text.empty()) << c.name;
    }
    // Within the frame finder itself, noise and a steady tone are "no steady frame structure".
    for (int k = 0; k < 2; ++k) {
        DemodSettings demod;
        const Captured captured = Capture(k == 0 ? cases[0].samples : cases[1].samples, demod);
        EXPECT_EQ(FindFrames(captured.levels, captured.timeline).reason, kNoFrameStructure) << cases[k].name;
    }
}

TEST(FrameFinder, LongDriftingRecordingDecodesWhole) {
    // Four minutes 0.5 % slow: the frames slip by a whole frame every 200 frames.
    RttySynthSettings synth = Synth(50 * 0.995, 1.5, 1500, 2000);
    const std::string text = RandomGroups(400, 21);
    const AutoResult r = AutoDecode(SynthesizeRtty(text, synth));
    ASSERT_TRUE(r.alignment.found) << r.alignment.reason;
    EXPECT_EQ(r.text, CrLf(text));
    EXPECT_NEAR(r.alignment.baud, 50 * 0.995, 0.005);
    EXPECT_NEAR(r.alignment.drift, -0.005, 0.0002);
    EXPECT_EQ(r.alignment.nominalBaud, 50.0);
}

TEST(FrameFinder, RasterOptionsReadTheTextWithTheDecoder) {
    // The option line for the plain raster decodes a short recording as the
    // frame rows do: count, offset, slant, width, direction and ignore.
    const std::vector<Case> cases = {
        {"50 Bd 1.5 stop", kPlain, Synth(50, 1.5, 1500, 2000)},
        {"75 Bd 1 stop, mark high", kPlain, Synth(75, 1, 2000, 1500)},
        {"45.45 Bd 2 stop", kPlain, Synth(45.45, 2, 1500, 2000)},
    };
    for (const Case& c : cases) {
        const Captured captured = Capture(Sound(c), DemodSettings{});
        const FrameAlignment a = FindFrames(captured.levels, captured.timeline);
        ASSERT_TRUE(a.found) << c.name;
        std::string text;
        const std::string bits = roundtrip::WithoutPartialLastRow(ExtractBits(captured.levels, a.raster));
        DecodeBaudot(PrepareBits(bits, a.reverseBits, a.reverseDirection, a.ignore), a.ignore, text);
        // The raster runs on into the idle mark after the text: letters shifts, nothing printed;
        // the last row, cut short by the end of the recording, is no frame.
        EXPECT_EQ(text, CrLf(c.text)) << c.name << ": count " << a.raster.count << " offset " << a.raster.offset
                                      << " slant " << a.raster.slant << " width " << a.raster.gridWidth << " ignore "
                                      << a.ignore;
    }
}

namespace {

// Frames found with the tones at 1500 / 2000 Hz and decoded in `code` (the
// code found when none is given).
struct Found {
    FrameAlignment alignment;
    std::string text;
};

Found FindAndDecode(const std::vector<std::int16_t>& samples, std::optional<CodeSettings> code = std::nullopt) {
    const Captured captured = Capture(samples, DemodSettings{});
    const TimeTrueSignal signal = MakeTimeTrueSignal(captured.levels, captured.timeline);
    std::vector<TrackedFrame> frames;
    Found f;
    f.alignment = FindFrames(signal, captured.timeline, &frames);
    if (code) f.alignment.code = *code;
    if (f.alignment.found) f.text = FrameText(FrameBits(signal, f.alignment.model, frames), f.alignment);
    return f;
}

// Below this a reading says it is not sure (a clean signal read right
// gives 0.9 or more; deep in noise a right reading falls below as well).
constexpr double kSure = 0.6;

std::string Repeated(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

}  // namespace

TEST(FrameFinder, ReadsTheTuningPatternAsRyAtEveryRate) {
    // RYRY repeats itself every two frames, and R and Y differ in every code
    // bit: two frames, or some bits, repeat better than one frame.
    const std::string ry = Repeated("RY", 40);
    for (double baud : {45.45, 50.0, 56.88, 75.0, 100.0, 110.0, 150.0})
        for (double stopBits : {1.0, 1.5, 2.0}) {
            SCOPED_TRACE(testing::Message() << baud << " Bd, " << stopBits << " stop bits");
            const Found f = FindAndDecode(SynthesizeRtty(ry, Synth(baud, stopBits, 1500, 2000)));
            ASSERT_TRUE(f.alignment.found) << f.alignment.reason;
            EXPECT_EQ(f.alignment.nominalBaud, baud);
            EXPECT_EQ(f.alignment.model.stopBits, stopBits);
            EXPECT_EQ(f.text, ry);
            EXPECT_GE(f.alignment.confidence, 0.9);
        }
}

TEST(FrameFinder, TuningPatternInAsciiIsReadOrNotSure) {
    // In ASCII, RYRY alone may frame as well a few bits on (8 data bits, one
    // stop bit: six bits on): then the reading must say it is not sure.
    const std::string ry = Repeated("RY", 40);
    const CodeSettings codes[] = {{TextCode::Ascii7, Parity::None}, {TextCode::Ascii7, Parity::Even},
                                  {TextCode::Ascii8, Parity::None}};
    for (const CodeSettings& code : codes)
        for (double baud : {50.0, 75.0, 100.0})
            for (double stopBits : {1.0, 2.0}) {
                SCOPED_TRACE(testing::Message() << CodeSettingsName(code) << ", " << baud << " Bd, " << stopBits
                                                << " stop bits");
                RttySynthSettings synth = Synth(baud, stopBits, 1500, 2000);
                synth.code = code;
                const Found f = FindAndDecode(SynthesizeRtty(ry, synth));
                if (f.alignment.found && f.alignment.confidence >= kSure) EXPECT_EQ(f.text, ry);
            }
}

TEST(FrameFinder, ReadsUsFiguresLeastSignificantBitFirst) {
    // The US figures fill the places the program's table leaves empty: read
    // backwards they once looked the clearer way.
    const std::string text = "RYRY $5 'Q' #7; \"Z\" ?B RYRY\n";
    const CodeSettings us{TextCode::BaudotUs, Parity::None};
    for (double baud : {45.45, 50.0, 75.0, 100.0, 150.0})
        for (double stopBits : {1.0, 1.5, 2.0}) {
            SCOPED_TRACE(testing::Message() << baud << " Bd, " << stopBits << " stop bits");
            RttySynthSettings synth = Synth(baud, stopBits, 1500, 2000);
            synth.code = us;
            const Found f = FindAndDecode(SynthesizeRtty(text, synth), us);
            ASSERT_TRUE(f.alignment.found) << f.alignment.reason;
            EXPECT_TRUE(f.alignment.reverseDirection);
            EXPECT_EQ(f.text, CrLf(text));
        }
}

TEST(FrameFinder, AToneBetweenTheTonesOrKeyingFarTooFastHoldsNoFrames) {
    // The demodulator's windows meet one steady tone between the two at
    // phases that come round every few windows: levels as regular as keying.
    using namespace betweentones;
    const struct {
        const char* name;
        std::vector<std::int16_t> samples;
    } cases[] = {
        {"1750 Hz sine", SteadyTone(1750.0, Shape::Sine, 20.0)},
        {"1750 Hz square", SteadyTone(1750.0, Shape::Square, 20.0)},
        {"1750 Hz clipped", SteadyTone(1750.0, Shape::Clipped, 20.0)},
        {"1620 Hz sine", SteadyTone(1620.0, Shape::Sine, 20.0)},
        {"reversals at 1000 Bd", Reversals(1500.0, 2000.0, 1000.0, 20.0)},
        {"reversals at 600 Bd", Reversals(1500.0, 2000.0, 600.0, 20.0)},
    };
    for (const auto& c : cases) {
        const Found f = FindAndDecode(c.samples);
        EXPECT_FALSE(f.alignment.found) << c.name << ": " << f.alignment.baud << " Bd, confidence "
                                        << f.alignment.confidence << ", text " << f.text.substr(0, 40);
        EXPECT_EQ(f.alignment.reason, kNoFrameStructure) << c.name;
    }
}

TEST(FrameFinder, RatesBeyondTheOnesReadAreNotFoundOrNotSure) {
    // Faster than the frame finder reads, the period it finds is a multiple
    // or a part of the frame: the text is wrong, and the reading must say so.
    const std::string text = "The quick brown fox jumps over the lazy dog. 0123456789 (73), de Morvane! Now is the time";
    struct Case {
        double baud, stopBits;
        CodeSettings code;
    };
    const Case cases[] = {
        {200.0, 1.0, {TextCode::Ascii7, Parity::None}}, {300.0, 1.0, {TextCode::Ascii7, Parity::None}},
        {300.0, 2.0, {TextCode::Ascii8, Parity::None}}, {450.0, 1.0, {TextCode::Ascii7, Parity::None}},
        {450.0, 2.0, {TextCode::Ascii8, Parity::None}}, {600.0, 1.0, {TextCode::Ascii7, Parity::None}},
        {600.0, 2.0, {TextCode::Ascii8, Parity::None}}, {200.0, 1.5, {}},
        {250.0, 1.5, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << CodeSettingsName(c.code) << ", " << c.baud << " Bd, " << c.stopBits
                                        << " stop bits");
        RttySynthSettings synth = Synth(c.baud, c.stopBits, 1500, 2000);
        synth.code = c.code;
        const std::string sent = c.code.code == TextCode::Baudot ? "RYRY CQ CQ DE MORVANE THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG" : text;
        const Found f = FindAndDecode(SynthesizeRtty(sent, synth));
        if (f.alignment.found && f.alignment.confidence >= kSure)
            EXPECT_EQ(f.text, sent) << f.alignment.baud << " Bd, confidence " << f.alignment.confidence;
    }
}
