// The frame finder tells the codes apart by their frames: 5-bit Baudot and
// ASCII with 7 or 8 data bits, with or without a parity bit, 1, 1.5 or 2 stop
// bits, at the usual rates; and the frames it finds decode to the text sent.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "AlignSupport.h"
#include "align/FrameCode.h"
#include "decode/BitTransforms.h"
#include "decode/RowDecoder.h"
#include "raster/BitExtraction.h"
#include "support/DecodeRoundTripSupport.h"
#include "synth/RttySynth.h"

using namespace morvane;
using namespace morvane::aligntest;

namespace {

const std::string kAscii = "The quick brown fox jumps over the lazy dog. 0123456789 (73), de Morvane!\n"
                           "Now is the time for all good men to come to the aid of the party: RYRY CQ.\n";
const std::string kBaudot = "RYRY CQ CQ DE MORVANE THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789\n"
                            "NOW IS THE TIME FOR ALL GOOD MEN TO COME TO THE AID OF THE PARTY -/.,:() 73\n";
// The US figures: $ ' " # ; ? differ from the ITA2 figures.
const std::string kBaudotUs = "RYRY CQ DE MORVANE PRICE $12; SIZE #4 \"OK\" WHY? IT'S 73\n" + kBaudot;

std::string CrLf(std::string text) {
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2) text.insert(at, "\r");
    return text;
}

struct Case {
    TextCode code;
    Parity parity;
    double baud;
    double stopBits;
    double snrDb;  // 99: clean
};

const char* Name(const Case& c) {
    static char text[96];
    std::snprintf(text, sizeof text, "%s %g Bd %g stop %s", CodeSettingsName({c.code, c.parity}).c_str(), c.baud,
                  c.stopBits, c.snrDb >= 99 ? "clean" : (std::to_string(static_cast<int>(c.snrDb)) + " dB").c_str());
    return text;
}

const std::string& TextOf(TextCode code) {
    return code == TextCode::Baudot ? kBaudot : (code == TextCode::BaudotUs ? kBaudotUs : kAscii);
}

// The text the decoder gives for the text sent: ASCII keeps LF as it is,
// Baudot sends a line break that decodes as CR LF.
std::string Decoded(TextCode code) { return IsAscii(code) ? TextOf(code) : CrLf(TextOf(code)); }

RttySynthSettings Settings(const Case& c) {
    RttySynthSettings s;
    s.baud = c.baud;
    s.stopBits = c.stopBits;
    s.code = {c.code, c.parity};
    if (c.snrDb < 99) s.snrDb = c.snrDb;
    return s;
}

}  // namespace

TEST(FrameCode, EveryCodeIsFoundAndDecodedAtTheUsualRates) {
    // A covering set: every code at its usual rates, every stop length, the
    // 10- and 11-bit frames that only their bits tell apart, clean and at 6 dB.
    const std::vector<Case> cases = {
        {TextCode::Baudot, Parity::None, 45.45, 1.5, 99},   {TextCode::Baudot, Parity::None, 110, 1, 99},
        {TextCode::Baudot, Parity::None, 75, 2, 6},         {TextCode::BaudotUs, Parity::None, 50, 1.5, 99},
        {TextCode::BaudotUs, Parity::None, 100, 1, 6},      {TextCode::Ascii7, Parity::None, 45.45, 1, 99},
        {TextCode::Ascii7, Parity::None, 110, 2, 99},       {TextCode::Ascii7, Parity::None, 75, 1.5, 6},
        {TextCode::Ascii7, Parity::Even, 50, 1, 99},        {TextCode::Ascii7, Parity::Even, 110, 2, 6},
        {TextCode::Ascii7, Parity::Even, 100, 1.5, 99},     {TextCode::Ascii7, Parity::Odd, 45.45, 2, 6},
        {TextCode::Ascii7, Parity::Odd, 75, 1, 99},         {TextCode::Ascii7, Parity::Odd, 110, 1.5, 99},
        {TextCode::Ascii8, Parity::None, 50, 1, 6},         {TextCode::Ascii8, Parity::None, 110, 1, 99},
        {TextCode::Ascii8, Parity::None, 45.45, 2, 99},     {TextCode::Ascii8, Parity::None, 100, 1.5, 6},
        {TextCode::Ascii8, Parity::Even, 75, 1, 99},        {TextCode::Ascii8, Parity::Odd, 110, 2, 6},
    };
    for (const Case& c : cases) {
        const AutoResult r = AutoDecode(SynthesizeRtty(TextOf(c.code), Settings(c)));
        const FrameAlignment& a = r.alignment;
        ASSERT_TRUE(a.found) << Name(c) << ": " << a.reason;
        // 5-bit frames cannot say which figures the sender used: Baudot.
        const TextCode expected = c.code == TextCode::BaudotUs ? TextCode::Baudot : c.code;
        EXPECT_EQ(CodeSettingsName(a.code), CodeSettingsName({expected, c.parity})) << Name(c) << ": " << a.codeReason;
        EXPECT_EQ(a.model.dataBits, DataBits(c.code)) << Name(c);
        EXPECT_EQ(a.model.parityBit, c.parity != Parity::None) << Name(c);
        EXPECT_EQ(a.model.stopBits, c.stopBits) << Name(c);
        EXPECT_NEAR(a.baud, c.baud, 0.002 * c.baud) << Name(c);
        EXPECT_FALSE(a.codeReason.empty()) << Name(c);
        if (c.code == TextCode::BaudotUs) {
            // Read with the US figures, the same frames give the text sent.
            FrameAlignment us = a;
            us.code.code = TextCode::BaudotUs;
            const Captured captured = Capture(SynthesizeRtty(TextOf(c.code), Settings(c)), DemodSettings{});
            const TimeTrueSignal signal = MakeTimeTrueSignal(captured.levels, captured.timeline);
            std::vector<TrackedFrame> frames;
            const FrameAlignment again = FindFrames(signal, captured.timeline, &frames);
            ASSERT_TRUE(again.found) << Name(c);
            EXPECT_EQ(FrameText(FrameBits(signal, again.model, frames), us), Decoded(c.code)) << Name(c);
            EXPECT_NE(r.text, Decoded(c.code)) << Name(c) << ": read as ITA2 figures the US ones differ";
        } else {
            EXPECT_EQ(r.text, Decoded(c.code)) << Name(c) << " (" << a.codeReason << ")";
        }
    }
}

TEST(FrameCode, AShortCallIsFoundAndDecoded) {
    // 22 characters, a couple of seconds: few frames to place the bit edges
    // and decide the parity on (in this text the parity bit of 8 data bits
    // holds in 77 % of frames by chance; their top bit is always 0).
    const std::string call = "CQ CQ de morvane pse k";
    const std::vector<Case> cases = {
        {TextCode::Ascii8, Parity::None, 110, 1, 99},
        {TextCode::Ascii8, Parity::None, 50, 1.5, 99},
        {TextCode::Ascii7, Parity::Even, 110, 1, 99},
        {TextCode::Ascii7, Parity::None, 45.45, 2, 99},
    };
    for (const Case& c : cases) {
        RttySynthSettings s = Settings(c);
        s.idleSeconds = 0.2;
        const AutoResult r = AutoDecode(SynthesizeRtty(call, s));
        ASSERT_TRUE(r.alignment.found) << Name(c) << ": " << r.alignment.reason;
        EXPECT_EQ(CodeSettingsName(r.alignment.code), CodeSettingsName({c.code, c.parity}))
            << Name(c) << ": " << r.alignment.codeReason;
        EXPECT_EQ(r.alignment.model.stopBits, c.stopBits) << Name(c);
        EXPECT_EQ(r.text, call) << Name(c);
    }
}

TEST(FrameCode, RasterOptionsReadAsciiFramesWithTheDecoder) {
    // At rates whose bit is a whole number of levels, the option line's
    // raster, direction and ignore count read the ASCII frames as well.
    const std::vector<Case> cases = {
        {TextCode::Ascii7, Parity::None, 50, 1, 99},
        {TextCode::Ascii7, Parity::Even, 75, 2, 99},
        {TextCode::Ascii8, Parity::None, 100, 1.5, 99},
    };
    for (const Case& c : cases) {
        const Captured captured = Capture(SynthesizeRtty(TextOf(c.code), Settings(c)), DemodSettings{});
        const FrameAlignment a = FindFrames(captured.levels, captured.timeline);
        ASSERT_TRUE(a.found) << Name(c);
        const std::string bits = roundtrip::WithoutPartialLastRow(ExtractBits(captured.levels, a.raster));
        std::string text;
        DecodeText(PrepareBits(bits, a.reverseBits, a.reverseDirection, a.ignore), a.ignore, a.code, text);
        EXPECT_EQ(text, Decoded(c.code)) << Name(c) << ": count " << a.raster.count << " slant " << a.raster.slant
                                         << " width " << a.raster.gridWidth << " ignore " << a.ignore;
    }
}

TEST(FrameCode, TheBitsDecideBetweenFramesOfOneLength) {
    // 10-bit frames as sent (start, 8 bits, stop; '1' mark), one row a frame:
    // the 8th bit always mark is a second stop bit; one that makes the parity
    // of the seven before it even (or odd) is a parity bit; otherwise data.
    const auto rows = [](auto eighth, std::vector<unsigned> values = {0x54, 0x68, 0x65, 0x20, 0x71, 0x75, 0x69, 0x63,
                                                                      0x6B, 0x21}) {
        std::string out;
        for (unsigned v : values) {
            out += '0';
            int ones = 0;
            for (int b = 0; b < 7; ++b) out += ((v >> b) & 1u) ? '1' : '0', ones += (v >> b) & 1u;
            out += eighth(ones) ? '1' : '0';
            out += "1\r\n";
        }
        return out;
    };
    const FrameModel widest = WidestAsciiLayout(10.0);
    ASSERT_EQ(widest.Cells(), 10);
    const struct {
        const char* name;
        std::string rows;
        std::string code;
        double stopBits;
    } cases[] = {
        {"7 data bits, 2 stop bits", rows([](int) { return true; }), "ascii7", 2.0},
        {"even parity", rows([](int ones) { return ones % 2 == 1; }), "ascii7, even parity", 1.0},
        {"odd parity", rows([](int ones) { return ones % 2 == 0; }), "ascii7, odd parity", 1.0},
        {"8 data bits of text", rows([](int) { return false; }), "ascii8", 1.0},
        // "ThCQ uke k": seven of eight with an odd number of ones, so the
        // even parity bit is mark in 88 % of frames, and parity in all.
        {"even parity mostly mark", rows([](int ones) { return ones % 2 == 1; }, {0x54, 0x68, 0x43, 0x51, 0x20, 0x75, 0x6B, 0x65}),
         "ascii7, even parity", 1.0},
    };
    for (const auto& c : cases) {
        const FrameCode chosen = ChooseAsciiCode(c.rows, widest);
        EXPECT_EQ(CodeSettingsName(chosen.code), c.code) << c.name << ": " << chosen.reason;
        EXPECT_EQ(chosen.layout.stopBits, c.stopBits) << c.name;
        EXPECT_DOUBLE_EQ(chosen.layout.FrameBitCount(), 10.0) << c.name;
        EXPECT_EQ(chosen.reason.rfind("10-bit frames", 0), 0u) << chosen.reason;
    }
    EXPECT_NE(ChooseAsciiCode(cases[1].rows, widest).reason.find("even parity in 100 % of frames"), std::string::npos);
    // Undecided rows do not count; without any decided row the bits are data.
    EXPECT_EQ(CodeSettingsName(ChooseAsciiCode("0 11111111\r\n", widest).code), "ascii8");
}

TEST(FrameCode, ModelsWithoutUsableCellsReadNothing) {
    // A model from elsewhere with impossible bit counts follows and reads
    // no frames instead of running wild.
    TimeTrueSignal signal;
    for (int i = 0; i < 4000; ++i) signal.levels.push_back((i / 12) % 3 == 0 ? 60 : 200);
    const std::vector<TrackedFrame> one = {{0.0, true}};
    for (int dataBits : {-20, 1000}) {
        FrameModel model;
        model.dataBits = dataBits;
        EXPECT_TRUE(TrackFrames(signal, model).empty()) << dataBits;
        EXPECT_TRUE(FrameLevelRows(signal, model, one).empty()) << dataBits;
        EXPECT_TRUE(FrameBits(signal, model, one).empty()) << dataBits;
    }
    FrameModel usable;
    EXPECT_EQ(FrameLevelRows(signal, usable, one).size(), static_cast<std::size_t>(7 * kCellLevels));
}
