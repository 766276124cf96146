#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "dsp/SampleFormat.h"
#include "dsp/FskDemodulator.h"
#include "synth/GaussianNoise.h"
#include "synth/RttySynth.h"

using namespace morvane;

namespace {

constexpr std::uint8_t kLtrs = 31, kFigs = 27;

struct EncodeCase {
    const char* text;
    std::vector<std::uint8_t> codes;
};

}  // namespace

TEST(EncodeBaudot, ShiftsCaseAndLineBreaks) {
    const EncodeCase cases[] = {
        {"", {}},
        {"E", {1}},
        {"e", {1}},                                 // lower case folds
        {"RY", {10, 21}},
        {"3", {kFigs, 1}},                          // figures shift before a figure
        {"A1B", {3, kFigs, 23, kLtrs, 25}},         // and back to letters
        {"1 2", {kFigs, 23, 4, 19}},                // a space keeps the shift
        {"A\nB", {3, 8, 25}},                       // line feed is the line-break code
        {"A\r\nB", {3, 8, 25}},                     // CR LF is one line break
        {"A\rB", {3, 8, 25}},
        {"12.", {kFigs, 23, 19, 28}},
        {"!&", {kFigs, 13, 26}},
    };
    for (const auto& c : cases) EXPECT_EQ(EncodeBaudot(c.text), c.codes) << '"' << c.text << '"';
}

TEST(EncodeBaudot, CharactersWithoutCodeAreNamed) {
    const std::pair<const char*, const char*> cases[] = {
        {"AB?", "'?'"},            // figures 25 has no character
        {"x=1", "'='"},
        {"caf\xC3\xA9", "U+00E9"},   // é
        {"A\tB", "U+0009"},
        {"\xE2\x82\xAC", "U+20AC"},  // €
        {"A\xFF", "UTF-8"},         // not UTF-8 at all
        {"\xC3", "UTF-8"},          // cut short
        {"RY\xC1\x92", "not valid UTF-8"},      // overlong 'R'
        {"A\xC0\x8A", "not valid UTF-8"},       // overlong line feed
        {"\xE0\x80\xA0", "not valid UTF-8"},    // overlong space in three bytes
        {"\xF0\x80\x81\x92", "not valid UTF-8"},  // overlong 'R' in four bytes
        {"\xED\xA0\x80", "not valid UTF-8"},    // a surrogate (U+D800)
        {"\xED\xBF\xBF", "not valid UTF-8"},    // a surrogate (U+DFFF)
        {"\xF4\x90\x80\x80", "not valid UTF-8"},  // above U+10FFFF
        {"\x80", "not valid UTF-8"},            // a lone continuation byte
        {"A?\xC1\x92", "not valid UTF-8"},     // bad UTF-8 is named before a missing code
    };
    for (const auto& [text, named] : cases) {
        try {
            EncodeBaudot(text);
            ADD_FAILURE() << "no error for " << text;
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(named), std::string::npos) << e.what();
        }
    }
}

TEST(EncodeBaudot, LongestValidFormsAreAccepted) {
    // U+07FF, U+FFFF and U+10FFFF are valid UTF-8, they only have no code.
    for (const char* text : {"\xDF\xBF", "\xEF\xBF\xBF", "\xF4\x8F\xBF\xBF", "\xEE\x80\x80"}) {
        try {
            EncodeBaudot(text);
            ADD_FAILURE() << "no error";
        } catch (const std::invalid_argument& e) {
            EXPECT_EQ(std::string(e.what()).find("UTF-8"), std::string::npos) << e.what();
        }
    }
}

TEST(SynthesizeRtty, LengthFollowsTheBitClock) {
    RttySynthSettings s;
    // One character: 1 start + 5 data + 1.5 stop = 7.5 bits of 960 samples, plus idle.
    EXPECT_EQ(SynthesizeRtty("E", s).size(), 24000u + 7200u + 24000u);
    s.stopBits = 2.0;
    s.baud = 45.45;
    s.idleSeconds = 0.0;
    EXPECT_EQ(SynthesizeRtty("EE", s).size(), static_cast<std::size_t>(std::llround(16 * 48000.0 / 45.45)));
    s.idleSeconds = 0.25;
    EXPECT_EQ(SynthesizeRtty("", s).size(), 24000u);  // idle only
}

TEST(SynthesizeRtty, RejectsSettingsOutOfRange) {
    const auto nan = std::nan("");
    RttySynthSettings bad[8];
    bad[0].markHz = 0;
    bad[1].spaceHz = -5;
    bad[2].markHz = 30000;
    bad[3].baud = 0;
    bad[4].baud = nan;
    bad[5].stopBits = 3;
    bad[6].snrDb = INFINITY;
    bad[7].idleSeconds = -1;
    for (const auto& s : bad) EXPECT_THROW(SynthesizeRtty("RY", s), std::invalid_argument);
    RttySynthSettings slow;
    slow.baud = 1.0;  // 7.5 s a character: too long a signal
    EXPECT_THROW(SynthesizeRtty(std::string(1000, 'R'), slow), std::invalid_argument);
}

// The demodulated levels follow the keying: idle mark above 128, and the
// character's start bit and data bits in their expected places.
TEST(SynthesizeRtty, DemodulatesToTheKeyedPattern) {
    RttySynthSettings s;
    s.idleSeconds = 0.2;  // 9600 samples = 120 levels
    // 'Y' = 21 = 10101: bits LSB first 1 0 1 0 1; with the start bit:
    // space mark space mark space mark, then stop mark.
    const std::vector<std::int16_t> samples = SynthesizeRtty("Y", s);
    std::vector<std::int32_t> levels;
    Demodulate({}, kCaptureFormat, samples.data(), static_cast<std::int32_t>(samples.size() * 2), levels);
    ASSERT_GT(levels.size(), 120u + 90u);
    for (std::size_t i = 1; i < 115; ++i) EXPECT_GT(levels[i], 200) << i;
    const bool expectMark[] = {false, true, false, true, false, true, true};
    for (int bit = 0; bit < 7; ++bit) {
        // Middle of each bit, 12 levels a bit, after 120 idle levels.
        const std::int32_t level = levels[120 + bit * 12 + 6];
        if (expectMark[bit]) EXPECT_GT(level, 200) << bit;
        else EXPECT_LT(level, 56) << bit;
    }
}

TEST(SynthesizeRtty, NoiseIsReproducibleAndAtTheAskedLevel) {
    RttySynthSettings s;
    s.idleSeconds = 2.0;
    s.snrDb = 10.0;
    s.seed = 7;
    const auto a = SynthesizeRtty("", s);
    EXPECT_EQ(a, SynthesizeRtty("", s));
    s.seed = 8;
    EXPECT_NE(a, SynthesizeRtty("", s));
    // Subtract the clean tone: what is left is the noise. Its power over 24 kHz
    // relates to the tone's by SNR × 3000 / 24000.
    RttySynthSettings clean = s;
    clean.snrDb.reset();
    const auto tone = SynthesizeRtty("", clean);
    double signalPower = 0, noisePower = 0, scale = 0;
    // The noisy signal's tone has its own amplitude; fit it by least squares.
    double dot = 0, norm = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        dot += double(a[i]) * tone[i];
        norm += double(tone[i]) * tone[i];
    }
    scale = dot / norm;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double sig = scale * tone[i];
        signalPower += sig * sig;
        noisePower += (a[i] - sig) * (a[i] - sig);
    }
    const double snrIn3k = 10 * std::log10(signalPower / (noisePower * 3000.0 / 24000.0));
    EXPECT_NEAR(snrIn3k, 10.0, 0.2);
}

TEST(GaussianNoise, HasUnitVarianceAndZeroMean) {
    GaussianNoise g(42);
    double sum = 0, sumSq = 0;
    constexpr int kCount = 200000;
    for (int i = 0; i < kCount; ++i) {
        const double x = g.Next();
        ASSERT_TRUE(std::isfinite(x));
        sum += x;
        sumSq += x * x;
    }
    EXPECT_NEAR(sum / kCount, 0.0, 0.01);
    EXPECT_NEAR(sumSq / kCount, 1.0, 0.02);
}

TEST(SynthesizeRtty, PhaseRunsOnAcrossBitEdges) {
    // A jump in phase at a bit edge would show as a step larger than the
    // steepest slope of the higher tone: amplitude × 2π × f / 48 000.
    for (const double baud : {50.0, 45.45, 75.0, 300.0}) {
        RttySynthSettings s;
        s.baud = baud;
        s.idleSeconds = 0.05;
        const auto samples = SynthesizeRtty("RYRY 12345 THE QUICK BROWN FOX", s);
        const double limit = 16000.0 * 6.283185307179586 * 2000.0 / 48000.0 + 1.0;
        int worst = 0;
        for (std::size_t i = 1; i < samples.size(); ++i) worst = std::max(worst, std::abs(samples[i] - samples[i - 1]));
        EXPECT_LE(worst, limit) << baud;
        EXPECT_GT(worst, 0.9 * limit) << baud;  // the space tone is there at full amplitude
    }
}

TEST(EncodeText, EveryCodeSendsItsCharacters) {
    const struct {
        TextCode code;
        const char* text;
        std::vector<std::uint8_t> codes;
    } cases[] = {
        {TextCode::Baudot, "A1", {3, kFigs, 23}},
        {TextCode::BaudotUs, "A1", {3, kFigs, 23}},
        {TextCode::BaudotUs, "$'\"#;?\a", {kFigs, 9, 11, 17, 20, 30, 25, 5}},
        {TextCode::BaudotUs, "!&-", {kFigs, 13, 26, 3}},
        {TextCode::BaudotUs, "s\nz", {5, 8, 17}},
        {TextCode::Ascii7, "Ab\r\n\x7F", {65, 98, 13, 10, 127}},
        {TextCode::Ascii7, "", {}},
        {TextCode::Ascii8, "caf\xC3\xA9", {99, 97, 102, 0xC3, 0xA9}},
        {TextCode::Ascii8, "\xFF", {0xFF}},
    };
    for (const auto& c : cases) EXPECT_EQ(EncodeText(c.text, c.code), c.codes) << '"' << c.text << '"';
}

TEST(EncodeText, CharactersWithoutCodeAreNamed) {
    const struct {
        TextCode code;
        const char* text;
        const char* named;
    } cases[] = {
        {TextCode::BaudotUs, "1+1", "'+'"},
        {TextCode::BaudotUs, "a=b", "'='"},
        {TextCode::Baudot, "$", "'$'"},
        {TextCode::Ascii7, "caf\xC3\xA9", "U+00E9"},
        {TextCode::Ascii7, "A\xFF", "UTF-8"},
    };
    for (const auto& c : cases) {
        try {
            EncodeText(c.text, c.code);
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << e.what();
        }
    }
}

TEST(SynthesizeRtty, AsciiFramesHaveTheirLength) {
    RttySynthSettings s;
    s.idleSeconds = 0.0;
    s.code.code = TextCode::Ascii7;
    s.stopBits = 1.0;
    // 1 start + 7 data + 1 stop = 9 bits of 960 samples.
    EXPECT_EQ(SynthesizeRtty("AB", s).size(), 2u * 9u * 960u);
    s.code = {TextCode::Ascii8, Parity::Even};
    s.stopBits = 2.0;
    EXPECT_EQ(SynthesizeRtty("AB", s).size(), 2u * 12u * 960u);
    // Baudot has no parity bit.
    s.code = {TextCode::Baudot, Parity::Odd};
    EXPECT_THROW(SynthesizeRtty("AB", s), std::invalid_argument);
}
