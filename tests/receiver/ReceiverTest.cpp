#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>

#include "receiver/CharacterDecoder.h"
#include "receiver/KeyedToneFinder.h"
#include "ReceiverSupport.h"
#include "support/NoisyReadingSupport.h"
#include "recording/RecordingReader.h"

namespace morvane {
namespace {

using namespace receivertest;

const std::string kText = "CQ CQ DE MORVANE RYRYRY THE QUICK BROWN FOX 40712 WJNYH END";

ReceiverOptions Given(const Keying& k) {
    ReceiverOptions o;
    o.sampleRate = k.rate;
    o.tone1Hz = std::min(k.markHz, k.spaceHz);
    o.tone2Hz = std::max(k.markHz, k.spaceHz);
    return o;
}

// 170 Hz shift at 45.45 baud with a second keyed signal 400 Hz above, 6 dB
// stronger: the filters matched to the bit keep it out.
TEST(ReceiverFilters, NeighbourFourHundredHertzAwaySixDecibelsStrongerIsKeptOut) {
    Keying k;
    std::vector<float> wanted = KeyedSignal(BaudotCodes(kText), k);
    Keying n = k;
    n.markHz += 400.0;
    n.spaceHz += 400.0;
    n.idleSeconds = 0.2;
    std::vector<float> other = KeyedSignal(BaudotCodes("RYRYRY NEIGHBOUR 12345 TEXT THAT KEEPS GOING ON AND ON AND ON"), n);
    for (std::size_t i = 0; i < wanted.size(); ++i) wanted[i] += 2.0F * other[i % other.size()];
    AddNoise(wanted, 0.01, 3);
    EXPECT_EQ(TextOf(Receive(wanted, Given(k))), kText);
}

// A steady carrier 300 Hz beside the signal and 15 dB above it is neither
// taken for a tone nor heard through the filters.
TEST(ReceiverFilters, SteadyCarrierBesideIsNeverATone) {
    Keying k;
    std::vector<float> x = KeyedSignal(BaudotCodes(kText), k);
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] += static_cast<float>(0.3 * std::sqrt(2.0) * 5.6 * std::sin(2.0 * std::numbers::pi * 2595.0 * i / k.rate));
    AddNoise(x, 0.02, 4);
    ReceiverOptions o;
    o.sampleRate = k.rate;
    const auto pieces = Receive(x, o);
    ASSERT_EQ(Transmissions(pieces), 1);
    EXPECT_NEAR(pieces.front().transmission.tone1Hz, 2125.0, 8.0);
    EXPECT_NEAR(pieces.front().transmission.tone2Hz, 2295.0, 8.0);
    EXPECT_EQ(TextOf(pieces), kText);
}

// The mark tone fades 25 dB (over half a second) for stretches of two
// seconds: the threshold correction reads the marks from the space tone's
// absence.
TEST(ReceiverFading, MarkFadedDeepIsStillRead) {
    Keying k;
    const auto mark = [](double t) {
        const double depth = std::clamp(std::min(std::fmod(t, 4.0) - 1.5, 4.0 - std::fmod(t, 4.0)) / 0.5, 0.0, 1.0);
        return 1.0 - (1.0 - 0.056) * (0.5 - 0.5 * std::cos(std::numbers::pi * depth));
    };
    const auto space = [](double) { return 1.0; };
    std::vector<float> x = KeyedSignal(BaudotCodes(kText + " " + kText), k, mark, space);
    AddNoise(x, 0.01, 5);
    EXPECT_EQ(TextOf(Receive(x, Given(k))), kText + " " + kText);
}

// Tones given 30 Hz off, the sender drifting 20 Hz a minute on top: the
// tones are followed and the text comes whole; the keying does not move them.
TEST(ReceiverTracking, TonesFollowedWithinFiftyHertz) {
    Keying k;
    const auto one = [](double) { return 1.0; };
    std::string text;
    for (int i = 0; i < 4; ++i) text += kText + " ";
    std::vector<float> x = KeyedSignal(BaudotCodes(text), k, one, one, 20.0 / 60.0);
    AddNoise(x, 0.02, 6);
    Keying off = k;
    off.markHz -= 30.0;
    off.spaceHz -= 30.0;
    EXPECT_EQ(TextOf(Receive(x, Given(off))), text);
}

// Noise alone, with or without the tones given, prints nothing.
TEST(ReceiverSquelch, NoiseAlonePrintsNothing) {
    for (unsigned seed = 1; seed <= 3; ++seed) {
        std::vector<float> noise(48000 * 20, 0.0F);
        AddNoise(noise, 0.1, seed);
        ReceiverOptions o;
        EXPECT_TRUE(Receive(noise, o).empty()) << "seed " << seed;
        EXPECT_TRUE(Receive(noise, Given(Keying{})).empty()) << "seed " << seed;
    }
}

// Noise before, between and after two transmissions gives two headers and
// no character of its own.
TEST(ReceiverSquelch, NoiseAroundAndBetweenTransmissionsGivesNoText) {
    Keying k;
    k.idleSeconds = 0.3;
    std::vector<float> x(48000 * 2, 0.0F);
    const std::vector<float> one = KeyedSignal(BaudotCodes(kText), k);
    x.insert(x.end(), one.begin(), one.end());
    x.insert(x.end(), 48000 * 6, 0.0F);
    x.insert(x.end(), one.begin(), one.end());
    x.insert(x.end(), 48000 * 2, 0.0F);
    AddNoise(x, 0.05, 7);
    const auto pieces = Receive(x, ReceiverOptions{});
    EXPECT_EQ(Transmissions(pieces), 2);
    std::string text;
    for (const auto& p : pieces) text += (p.opens ? "|" : "") + p.text;
    EXPECT_EQ(text, "|" + kText + "|" + kText);
}

// A weak transmission from another sender (-6 dB in 3 kHz) with a second of
// noise before and after it: the squelch opens some frames into it, and the
// frames in front of its opening run are read back in step with it, while
// noise that framed by chance in front of the run is left out. Summed over
// draws of the noise.
TEST(ReceiverSquelch, WeakTransmissionAfterNoiseKeepsItsFirstCharacters) {
    if (!HaveMinimodem()) GTEST_SKIP() << "minimodem is not installed";
    const std::string sentText =
        "CQ CQ DE MORVANE MORVANE PSE K RYRYRYRY THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 40712 WJNYH END";
    const std::vector<float> sent = Minimodem(sentText, "-M 1500 -S 2000 --baudot --stopbits 1.5 50");
    std::size_t wrong = 0, startsRight = 0;
    for (unsigned seed = 1; seed <= 6; ++seed) {
        const std::string text = TextOf(Receive(InNoise(sent, -6.0, 1, 1, seed), ReceiverOptions{}));
        wrong += noisy::EditDistance(text, sentText);
        startsRight += text.rfind("CQ", 0) == 0;
    }
    // Without the frames read back and the noise in front of the run left
    // out, 38 characters wrong and two of six draws starting right.
    EXPECT_LE(wrong, 34U) << "of " << 6 * sentText.size() << " characters";
    EXPECT_GE(startsRight, 4U);
}

// Two even tones deep in noise (minimodem's sending, 50 baud, 500 Hz shift,
// -10 dB in 3 kHz, a second of noise around): the threshold correction
// follows the noise as well, and after a few bits of one tone it took the
// other for faded and leant toward it. Tones about even are compared as
// they are. Summed over draws of the noise.
TEST(ReceiverNoise, EvenTonesDeepInNoiseAreComparedAsTheyAre) {
    if (!HaveMinimodem()) GTEST_SKIP() << "minimodem is not installed";
    const std::string sentText =
        "CQ CQ DE MORVANE MORVANE PSE K RYRYRYRY THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 40712 WJNYH END";
    const std::vector<float> sent = Minimodem(sentText, "-M 1500 -S 2000 --baudot --stopbits 1.5 50");
    std::size_t wrong = 0;
    for (unsigned seed = 11; seed <= 18; ++seed)
        wrong += noisy::EditDistance(TextOf(Receive(InNoise(sent, -10.0, 1, 1, seed), ReceiverOptions{})), sentText);
    // Weighed by the envelopes throughout: 323 of 792 characters wrong (41 %).
    EXPECT_LE(wrong, 8 * sentText.size() * 36 / 100) << "of " << 8 * sentText.size() << " characters";
}

// 7-bit ASCII with one stop bit, faded (8 s of it: `synth --code ascii7
// --stop-bits 1 --baud 100 --mark 1800 --space 1600`, then `channel
// --channel moderate`, 7 dB of noise, at 8 kHz): its first seconds hold as
// well upside down, and nothing tells the tone at rest. It was read upside
// down, every character wrong; only one way up reads as plain text.
TEST(ReceiverFading, AsciiThatHoldsBothWaysUpIsReadAsText) {
    RecordingReader reader(std::string(MORVANE_TEST_DATA) + "/faded-ascii7-100-8k.wav");
    std::vector<std::int16_t> s(1 << 16), all;
    while (const std::size_t n = reader.Read(s.data(), s.size())) all.insert(all.end(), s.begin(), s.begin() + n);
    const std::vector<ReceiverPiece> pieces = Receive(Floats(all), ReceiverOptions{});  // read at 48 kHz
    ASSERT_GE(Transmissions(pieces), 1);
    EXPECT_EQ(pieces.front().transmission.code.code, TextCode::Ascii7);
    EXPECT_NE(TextOf(pieces).find("FALLING MORVANE VISIBILITY LAZY PRESSURE"), std::string::npos) << TextOf(pieces);
}

// Letters after figures and a space: the space returns to letters unless
// turned off.
TEST(ReceiverText, UnshiftOnSpace) {
    // The sender puts no letters shift after the space.
    std::vector<unsigned> codes = BaudotCodes("40712 ");
    const std::vector<unsigned> letters = BaudotCodes("WJNYH");
    codes.insert(codes.end(), letters.begin() + 2, letters.end());
    std::string on, off;
    CharacterDecoder a(CodeSettings{}, true), b(CodeSettings{}, false);
    for (unsigned c : codes) {
        a.Decode(c, true, on);
        b.Decode(c, true, off);
    }
    EXPECT_EQ(on, "40712 WJNYH");
    EXPECT_EQ(off, "40712 2?,6?");
    Keying k;
    EXPECT_EQ(TextOf(Receive(KeyedSignal(codes, k), Given(k))), "40712 WJNYH");
}

// CR, LF and CR CR LF each give one line break; LF LF two.
TEST(ReceiverText, LineEnds) {
    struct Case {
        std::vector<unsigned> baudot;
        std::string ascii, expected;
    };
    const Case cases[] = {
        {{3, 8, 3}, "A\rA", "A\r\nA"},
        {{3, 2, 3}, "A\nA", "A\r\nA"},
        {{3, 8, 2, 3}, "A\r\nA", "A\r\nA"},
        {{3, 8, 8, 2, 3}, "A\r\r\nA", "A\r\nA"},
        {{3, 8, 31, 2, 3}, "A\r\nA", "A\r\nA"},
        {{3, 2, 2, 3}, "A\n\nA", "A\r\n\r\nA"},
    };
    for (const Case& c : cases) {
        std::string baudot, ascii;
        CharacterDecoder b(CodeSettings{}, true), a(CodeSettings{TextCode::Ascii7, Parity::None}, true);
        for (unsigned v : c.baudot) b.Decode(v, true, baudot);
        for (char ch : c.ascii) a.Decode(static_cast<unsigned char>(ch), true, ascii);
        EXPECT_EQ(baudot, c.expected);
        EXPECT_EQ(ascii, c.expected);
    }
}

// The same pieces whatever the split of the samples.
TEST(ReceiverStream, SamePiecesWhateverTheBlockSplit) {
    Keying k;
    std::vector<float> x(48000, 0.0F);
    const std::vector<float> one = KeyedSignal(BaudotCodes(kText), k);
    x.insert(x.end(), one.begin(), one.end());
    AddNoise(x, 0.08, 8);
    const auto whole = Receive(x, ReceiverOptions{});
    ASSERT_FALSE(whole.empty());
    std::string all;
    for (const auto& p : whole) all += p.text;
    EXPECT_EQ(all, kText);
    for (std::size_t piece : {1u, 7u, 1000u, 4096u, 65536u}) {
        const auto split = Receive(x, ReceiverOptions{}, piece);
        std::string text;
        for (const auto& p : split) text += p.text;
        EXPECT_EQ(text, all) << "pieces of " << piece;
        ASSERT_EQ(Transmissions(split), Transmissions(whole));
        EXPECT_EQ(split.front().transmission.firstSample, whole.front().transmission.firstSample);
        EXPECT_EQ(split.front().transmission.quality, whole.front().transmission.quality);
    }
}

// A long stream (noise, transmissions at two rates, gaps, a steady tone)
// pushed as it comes: what the receiver holds stays within the tone search's
// window until the tones are found, then within the acquisition stretch
// and the frame timing's values, however long it runs; and it reads every
// transmission.
TEST(ReceiverStream, HoldsBoundedMemoryOnAnEndlessStream) {
    Receiver r(ReceiverOptions{});
    std::size_t mostSearching = 0, mostFollowing = 0;
    int transmissions = 0;
    std::mt19937 random(3);
    std::normal_distribution<double> normal(0.0, 0.05);
    const auto push = [&](std::vector<float> x) {
        for (float& v : x) v = static_cast<float>(v + normal(random));
        for (std::size_t at = 0; at < x.size(); at += 4800) {
            r.Push(x.data() + at, std::min<std::size_t>(4800, x.size() - at));
            for (const auto& p : r.Take()) transmissions += p.opens;
            (transmissions == 0 ? mostSearching : mostFollowing) =
                std::max(transmissions == 0 ? mostSearching : mostFollowing, r.Held());
        }
    };
    Keying slow, fast;
    fast.baud = 75.0;
    fast.stopBits = 1.0;
    std::vector<float> tone(48000 * 20);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<float>(0.3 * std::sin(2.0 * std::numbers::pi * 2210.0 * static_cast<double>(i) / 48000.0));
    for (int round = 0; round < 4; ++round) {
        push(std::vector<float>(48000 * 20, 0.0F));
        push(KeyedSignal(BaudotCodes(kText), round % 2 ? fast : slow));
        push(tone);
    }
    EXPECT_GE(transmissions, 4);
    // 10 s of samples and a second until the tones are found; then 8 s of
    // sub-blocks (2 400 a second, both tones) and 24 frames' worth of values.
    EXPECT_LE(mostSearching, 48000U * 21 + 1U);
    EXPECT_LE(mostFollowing, 2400U * 8 * 2 + 10000U);
}

// The keyed-pair search takes the pair whose powers alternate.
TEST(ReceiverTones, KeyedPairNotTheCarrier) {
    Keying k;
    std::vector<float> x = KeyedSignal(BaudotCodes(kText), k);
    KeyedToneFinder finder(48000.0, 10.0);
    for (std::size_t i = 0; i < x.size(); ++i)
        finder.Add(x[i] + static_cast<float>(1.7 * std::sin(2.0 * std::numbers::pi * 1800.0 * i / 48000.0)));
    const KeyedPair pair = finder.Find();
    ASSERT_TRUE(pair.found) << pair.reason;
    EXPECT_NEAR(pair.lowHz, 2125.0, 6.0);
    EXPECT_NEAR(pair.highHz, 2295.0, 6.0);
    KeyedToneFinder carriers(48000.0, 10.0);
    for (int i = 0; i < 48000 * 4; ++i)
        carriers.Add(static_cast<float>(0.3 * std::sin(2.0 * std::numbers::pi * 1000.0 * i / 48000.0) +
                                        0.3 * std::sin(2.0 * std::numbers::pi * 1170.0 * i / 48000.0)));
    EXPECT_FALSE(carriers.Find().found);
}

// Recordings another program made (minimodem --tx), read at other rates and codes.
class MinimodemRecordings : public ::testing::Test {
protected:
    static bool Have() { return std::system("command -v minimodem >/dev/null 2>&1") == 0; }
    std::vector<float> Make(const std::string& text, const std::string& args) {
        const auto path = std::filesystem::temp_directory_path() / ("morvane-rx-" + std::to_string(::getpid()) + ".wav");
        const auto txt = path.string() + ".txt";
        std::ofstream(txt) << text;
        const std::string cmd = "minimodem --tx -q -f " + path.string() + " -R 48000 " + args + " < " + txt;
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        RecordingReader reader(path.string());
        std::vector<std::int16_t> s(1 << 16);
        std::vector<float> out(48000, 0.0F);
        while (const std::size_t n = reader.Read(s.data(), s.size()))
            for (std::size_t i = 0; i < n; ++i) out.push_back(static_cast<float>(s[i] / 32768.0));
        out.insert(out.end(), 48000, 0.0F);
        std::filesystem::remove(path);
        std::filesystem::remove(txt);
        AddNoise(out, 0.03, 9);
        return out;
    }
};

TEST_F(MinimodemRecordings, RttyFoundAndRead) {
    if (!Have()) GTEST_SKIP() << "minimodem is not installed";
    struct Case {
        std::string args, text;
        TextCode code;
    };
    const Case cases[] = {
        {"-M 2125 -S 2295 --baudot --stopbits 1.5 45.45", kText, TextCode::Baudot},
        {"-M 1275 -S 1725 --baudot --stopbits 1.5 50", kText, TextCode::Baudot},
        {"-M 1000 -S 1850 --baudot --stopbits 1 75", kText, TextCode::Baudot},
    };
    for (const Case& c : cases) {
        const auto pieces = Receive(Make(c.text, c.args), ReceiverOptions{});
        ASSERT_EQ(Transmissions(pieces), 1) << c.args;
        EXPECT_EQ(pieces.front().transmission.code.code, c.code) << c.args;
        EXPECT_EQ(TextOf(pieces), c.text) << c.args;
    }
}

}  // namespace
}  // namespace morvane
