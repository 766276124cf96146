// Every code through the synthesiser and back: synthesise, demodulate as
// capture does, extract with the raster the synthesiser's timing gives,
// decode, compare.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "decode/BitTransforms.h"
#include "decode/RowDecoder.h"
#include "support/DecodeRoundTripSupport.h"
#include "synth/RttySynth.h"

using namespace morvane;
using namespace morvane::roundtrip;

namespace {

struct CodeTrip {
    const char* name;
    CodeSettings code;
    double baud;
    double stopBits;
    std::optional<double> snrDb;
    bool swapTones;  // mark on the high tone: the bits come inverted
    std::string text;
    std::string expected;
};

std::string Decoded(const CodeTrip& c, std::string* bitsOut) {
    RttySynthSettings synth;  // idle 0.5 s: the first start bit is level 300
    synth.code = c.code;
    synth.baud = c.baud;
    synth.stopBits = c.stopBits;
    synth.snrDb = c.snrDb;
    if (c.swapTones) std::swap(synth.markHz, synth.spaceHz);
    const std::vector<std::int32_t> levels = LevelsThroughCapture(SynthesizeRtty(c.text, synth), DemodSettings{});

    const int levelsPerBit = static_cast<int>(std::lround(48000.0 / c.baud / 80.0));
    const int parityBits = c.code.parity == Parity::None ? 0 : 1;
    const double frameBits = 1 + DataBits(c.code.code) + parityBits + c.stopBits;
    RasterParams raster;
    raster.count = static_cast<std::int32_t>(std::lround(frameBits * levelsPerBit));
    raster.gridWidth = 2 * levelsPerBit;
    raster.offset = 300;
    // Read backwards, a row starts with its stop cells (half a stop bit is a cell too).
    const auto stopCells = static_cast<std::int32_t>(std::ceil(c.stopBits));
    const std::string bits = WithoutPartialLastRow(ExtractBits(levels, raster));
    if (bitsOut) *bitsOut = bits;
    std::string text;
    DecodeText(PrepareBits(bits, c.swapTones, true, stopCells), stopCells, c.code, text);
    return text;
}

}  // namespace

TEST(CodeRoundTrip, EveryCodeComesBack) {
    const std::string baudot = "RYRY CQ DE MORVANE 0123456789 -/.,:()!&\nEND";
    const std::string us = "US $5 'OK' \"QUOTE\" #3; WHY? \a\nEND";
    const std::string ascii = "Hello, World! {[<|>]} ~`^_\r\n\tTab\x1B end";
    const std::string asciiShown = "Hello, World! {[<|>]} ~`^_\r\n<HT>Tab<ESC> end";
    const std::string bytes = "caf\xC3\xA9 \x7F\x01 ok";
    const std::string bytesShown = "caf<xC3><xA9> <DEL><SOH> ok";
    const CodeSettings kBaudot{}, kUs{TextCode::BaudotUs, Parity::None};
    const CodeSettings kAscii7{TextCode::Ascii7, Parity::None}, kAscii8{TextCode::Ascii8, Parity::None};
    const CodeTrip cases[] = {
        {"Baudot", kBaudot, 50, 1.5, {}, false, baudot, "RYRY CQ DE MORVANE 0123456789 -/.,:()!&\r\nEND"},
        {"Baudot 100 Bd, 1 stop bit", kBaudot, 100, 1.0, {}, false, baudot,
         "RYRY CQ DE MORVANE 0123456789 -/.,:()!&\r\nEND"},
        {"US figures", kUs, 50, 1.5, {}, false, us, "US $5 'OK' \"QUOTE\" #3; WHY? <BEL>\r\nEND"},
        {"US figures, 75 Bd, 2 stop bits, tones swapped", kUs, 75, 2.0, {}, true, us,
         "US $5 'OK' \"QUOTE\" #3; WHY? <BEL>\r\nEND"},
        {"ASCII 7", kAscii7, 50, 1.0, {}, false, ascii, asciiShown},
        {"ASCII 7 even parity, 1.5 stop bits", {TextCode::Ascii7, Parity::Even}, 50, 1.5, {}, false, ascii,
         asciiShown},
        {"ASCII 7 odd parity, 100 Bd, 2 stop bits", {TextCode::Ascii7, Parity::Odd}, 100, 2.0, {}, false, ascii,
         asciiShown},
        {"ASCII 7 at 10 dB", kAscii7, 50, 1.0, 10.0, false, ascii, asciiShown},
        {"ASCII 8", kAscii8, 50, 1.0, {}, false, bytes, bytesShown},
        {"ASCII 8 odd parity, 75 Bd, tones swapped", {TextCode::Ascii8, Parity::Odd}, 75, 1.5, {}, true, bytes,
         bytesShown},
        {"ASCII 8 even parity, 2 stop bits", {TextCode::Ascii8, Parity::Even}, 50, 2.0, {}, false, bytes,
         bytesShown},
    };
    for (const CodeTrip& c : cases) {
        std::string bits;
        EXPECT_EQ(Decoded(c, &bits), c.expected) << c.name << "\n" << bits;
    }
}

TEST(CodeRoundTrip, ParityReadTheWrongWay) {
    // "ABCD" with even parity; C has three ones, so its parity bit is 1.
    RttySynthSettings synth;
    synth.code = {TextCode::Ascii7, Parity::Even};
    synth.stopBits = 1.0;
    const std::vector<std::int32_t> levels = LevelsThroughCapture(SynthesizeRtty("ABCD", synth), DemodSettings{});
    RasterParams raster;
    raster.count = 10 * 12;
    raster.offset = 300;
    const std::string working = PrepareBits(WithoutPartialLastRow(ExtractBits(levels, raster)), false, true, 1);
    const struct {
        CodeSettings code;
        const char* text;
    } cases[] = {
        {{TextCode::Ascii7, Parity::Even}, "ABCD"},
        {{TextCode::Ascii7, Parity::Odd}, "????"},       // every check fails
        {{TextCode::Ascii8, Parity::None}, "AB<xC3>D"},  // the parity bit as the top data bit
    };
    for (const auto& c : cases) {
        std::string text;
        DecodeText(working, 1, c.code, text);
        EXPECT_EQ(text, c.text);
    }
}
