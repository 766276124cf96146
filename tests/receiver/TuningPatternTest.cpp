// The tuning pattern RYRY, what every station sends first: a repeated pair
// of characters frames as well at other places, other lengths and upside
// down. Every code, usual rate and stop length, made by the synthesiser and
// by minimodem (whose sound starts with two bits of mark and nothing
// before), must be read as RYRY, or with a quality that says it is not sure.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ReceiverSupport.h"
#include "receiver/RateEstimate.h"
#include "synth/RttySynth.h"

namespace morvane {
namespace {

using namespace receivertest;

constexpr double kNotSure = 0.6;  // a reading that is wrong must say so with less quality than this

std::string Ry(int pairs) {
    std::string text;
    for (int i = 0; i < pairs; ++i) text += "RY";
    return text;
}

struct Layout {
    TextCode code;
    double baud;
    double stopBits;
};

std::string Name(const Layout& l) {
    return std::string(TextCodeName(l.code)) + " " + std::to_string(l.baud) + " Bd " + std::to_string(l.stopBits) +
           " stop bits";
}

std::vector<Layout> EveryLayout(TextCode code) {
    std::vector<Layout> out;
    for (double baud : {45.45, 50.0, 75.0, 100.0, 150.0})
        for (double stop : {1.0, 1.5, 2.0}) out.push_back({code, baud, stop});
    return out;
}

std::string MinimodemArgs(const Layout& l) {
    const char* code = l.code == TextCode::Baudot ? "--baudot" : (l.code == TextCode::Ascii7 ? "-7" : "--ascii");
    char stop[16];
    std::snprintf(stop, sizeof stop, "%g", l.stopBits);
    char baud[16];
    std::snprintf(baud, sizeof baud, "%g", l.baud);
    return std::string(code) + " --stopbits " + stop + " " + baud;
}

// Right: one transmission at the rate and in the code sent, the pattern
// whole in its text. Otherwise nothing, or a quality that says it is unsure.
void ExpectRightOrUnsure(const std::vector<float>& samples, const Layout& l, const std::string& text,
                         bool mustBeRight) {
    const std::vector<ReceiverPiece> pieces = Receive(samples, ReceiverOptions{});
    const bool right = Transmissions(pieces) == 1 && pieces.front().transmission.code.code == l.code &&
                       UsualBaud(pieces.front().transmission.baud) == l.baud &&
                       TextOf(pieces).find(text.substr(4)) != std::string::npos;
    if (right) return;
    if (mustBeRight) {
        ADD_FAILURE() << "not read: " << TextOf(pieces);
    }
    for (const ReceiverPiece& p : pieces) {
        if (!p.opens) continue;
        EXPECT_LT(p.transmission.quality, kNotSure)
            << "read wrong as " << p.transmission.baud << " Bd " << TextCodeName(p.transmission.code.code)
            << " with quality " << p.transmission.quality << ": " << TextOf(pieces);
    }
}

class TuningPattern : public ::testing::TestWithParam<TextCode> {};

TEST_P(TuningPattern, SynthesisedIsReadAsRy) {
    const std::string text = Ry(20);
    for (const Layout& l : EveryLayout(GetParam())) {
        SCOPED_TRACE(Name(l));
        RttySynthSettings s;
        s.baud = l.baud;
        s.stopBits = l.stopBits;
        s.code = {l.code, Parity::None};
        ExpectRightOrUnsure(Floats(SynthesizeRtty(text, s)), l, text, true);
    }
}

// minimodem's sound starts on two bits of mark with nothing before them:
// the tone at rest there tells mark from space, where RYRY in 7-bit frames
// with two stop bits reads as well upside down (as 8-bit "l4l4"). At 150
// baud its 200 Hz shift spreads in the spectrum, whose peaks lie up to
// 100 Hz off the tones (Baudot with 1.5 and 2 stop bits was not found).
TEST_P(TuningPattern, FromMinimodemIsReadAsRy) {
    if (!HaveMinimodem()) GTEST_SKIP() << "minimodem is not installed";
    const std::string text = Ry(20);
    for (const Layout& l : EveryLayout(GetParam())) {
        SCOPED_TRACE(Name(l));
        ExpectRightOrUnsure(Minimodem(text, MinimodemArgs(l)), l, text, true);
    }
}

// Without the start of the sound (the recording begins inside the pattern)
// nothing tells which way up the frames are: a wrong reading must say it is
// unsure.
TEST_P(TuningPattern, WithoutItsStartIsReadOrUnsure) {
    if (!HaveMinimodem()) GTEST_SKIP() << "minimodem is not installed";
    const std::string text = Ry(40);
    for (const Layout& l : EveryLayout(GetParam())) {
        SCOPED_TRACE(Name(l));
        std::vector<float> samples = Minimodem(text, MinimodemArgs(l));
        const auto cut = static_cast<std::ptrdiff_t>(48000.0 * 7.3 / l.baud);  // inside the third or so frame
        samples.erase(samples.begin(), samples.begin() + cut);
        ExpectRightOrUnsure(samples, l, Ry(10), false);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryCode, TuningPattern,
                         ::testing::Values(TextCode::Baudot, TextCode::Ascii7, TextCode::Ascii8),
                         [](const ::testing::TestParamInfo<TextCode>& info) {
                             return std::string(info.param == TextCode::Baudot
                                                    ? "Baudot"
                                                    : (info.param == TextCode::Ascii7 ? "Ascii7" : "Ascii8"));
                         });

}  // namespace
}  // namespace morvane

namespace morvane {
namespace {

using namespace receivertest;

// One character over and over tiles its bits at more than one frame length:
// "UUUU" in 7-bit frames (9 bits each) reads as well as 8 bits with odd
// parity (11 bits each, every frame a different character). Read right, or
// not sure.
TEST(RepeatedCharacter, ReadRightOrNotSure) {
    if (!HaveMinimodem()) GTEST_SKIP() << "minimodem is not installed";
    const std::string text(32, 'U');
    const struct {
        const char* args;
        TextCode code;
        double baud;
    } cases[] = {
        {"-7 50", TextCode::Ascii7, 50.0},
        {"-7 110", TextCode::Ascii7, 110.0},
        {"-7 --stopbits 2 75", TextCode::Ascii7, 75.0},
        {"--ascii 50", TextCode::Ascii8, 50.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const std::vector<ReceiverPiece> pieces = Receive(Minimodem(text, c.args), ReceiverOptions{});
        ASSERT_GE(Transmissions(pieces), 1);
        const bool right = TextOf(pieces).find(text.substr(2)) != std::string::npos &&
                           UsualBaud(pieces.front().transmission.baud) == c.baud;
        if (right) continue;
        EXPECT_LT(pieces.front().transmission.quality, 0.6)
            << "read wrong with quality " << pieces.front().transmission.quality << ": " << TextOf(pieces);
    }
}

}  // namespace
}  // namespace morvane
