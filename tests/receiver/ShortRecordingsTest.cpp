// Short recordings another program made, at the sample rates sound cards and
// files use: the sound starts on minimodem's two bits of mark, with nothing
// before it, and the whole of it must be read in the layout it was sent in.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ReceiverSupport.h"
#include "receiver/RateEstimate.h"

namespace morvane {
namespace {

using namespace receivertest;

struct Sent {
    const char* args;  // minimodem's
    double baud;
    TextCode code;
    std::string text;
};

void ExpectRead(const Sent& c, int rate, bool noisy) {
    SCOPED_TRACE(testing::Message() << c.args << " at " << rate << " samples a second" << (noisy ? ", in noise" : ""));
    std::vector<float> samples = Minimodem(c.text, c.args, rate);
    if (noisy) {
        // A second of nothing before and after, then noise over all of it.
        samples.insert(samples.begin(), 48000, 0.0F);
        samples.insert(samples.end(), 48000, 0.0F);
        AddNoise(samples, 0.03, 5);
    }
    const std::vector<ReceiverPiece> pieces = Receive(samples, ReceiverOptions{});
    ASSERT_EQ(Transmissions(pieces), 1) << TextOf(pieces);
    const ReceivedTransmission& t = pieces.front().transmission;
    EXPECT_EQ(UsualBaud(t.baud), c.baud) << t.baud;
    EXPECT_EQ(t.code.code, c.code);
    // The first frame may go to the squelch's opening; in noise a character
    // of it may stand at either end (the squelch's business, not the layout's).
    const std::string text = TextOf(pieces);
    if (noisy)
        EXPECT_NE(text.find(c.text.substr(1)), std::string::npos) << text;
    else
        EXPECT_TRUE(text == c.text || text == c.text.substr(1)) << text;
}

// Two lines of balloon telemetry at 300 baud, 8N2 on an 825 Hz shift: at
// 8 kHz the frames were once read upside down and came out garbled with
// quality 0.94.
TEST(ShortRecordings, TelemetryAt300BaudAtEverySampleRate) {
    if (!HaveMinimodem()) GTEST_SKIP() << "minimodem is not installed";
    const Sent telemetry{"-8 --stopbits 2 -M 2325 -S 1500 300", 300.0, TextCode::Ascii8,
                         "$$MORVANE,1234,12:34:56,52.12345,-1.23456,10234*1A\r\n"
                         "$$MORVANE,1235,12:34:58,52.12350,-1.23460,10240*2B\r\n"};
    for (int rate : {8000, 11025, 16000, 22050, 44100, 48000})
        for (bool noisy : {false, true}) ExpectRead(telemetry, rate, noisy);
}

// 110 baud, as teleprinters on a current loop sent ASCII: 8N1 (read as
// 8 bits), 7N2 and 8N2, never taken for 100 baud.
TEST(ShortRecordings, AsciiAt110Baud) {
    if (!HaveMinimodem()) GTEST_SKIP() << "minimodem is not installed";
    const std::string text = "CQ CQ DE MORVANE 110 BAUD: the quick brown fox 0123456789\r\n";
    const Sent sent[] = {
        {"--ascii 110", 110.0, TextCode::Ascii8, text},
        {"--ascii --stopbits 2 110", 110.0, TextCode::Ascii8, text},
        {"-7 --stopbits 2 110", 110.0, TextCode::Ascii7, text},
        {"--ascii 110", 110.0, TextCode::Ascii8, "RYRYRYRYRYRYRYRYRYRYRYRYRYRYRYRYRYRYRYRY"},
    };
    for (const Sent& c : sent)
        for (int rate : {8000, 48000})
            for (bool noisy : {false, true}) ExpectRead(c, rate, noisy);
}

// 8N1 frames of 7-bit text hold nearly as well upside down (the stop bit read
// as the start, the top bit always space as the stop). After seconds of
// noise, which tells nothing of the tone at rest, text from another sender
// was read upside down as garbage at quality 0.98. Its first words, upper
// case, also frame two bits early (start on the top bit): read where they hold.
TEST(ShortRecordings, EightBitTextAfterNoiseIsReadTheRightWayUp) {
    if (!HaveMinimodem()) GTEST_SKIP() << "minimodem is not installed";
    const std::string text =
        "WJNYH 40712 DE SEA RYRY 1012 THE MORVANE BROWN FOX PRESSURE LAZY RYRY OVER RYRY 40712 PRESSURE "
        "40712 THE 40712 JUMPS SEA STATE LAZY PRESSURE 4 BROWN WEATHER WJNYH SEA WJNYH GOOD BROWN";
    const std::vector<float> sent = Minimodem(text, "-M 2300 -S 2100 -8 110");
    std::size_t startsRight = 0;
    for (unsigned seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        const std::vector<ReceiverPiece> pieces = Receive(InNoise(sent, 2.0, 6, 2, seed), ReceiverOptions{});
        ASSERT_GE(Transmissions(pieces), 1);
        EXPECT_EQ(pieces.front().transmission.code.code, TextCode::Ascii8);
        EXPECT_NE(TextOf(pieces).find(text.substr(12, 120)), std::string::npos) << TextOf(pieces);
        startsRight += TextOf(pieces).find(text.substr(0, 12)) != std::string::npos;
    }
    EXPECT_GE(startsRight, 7U);
}

// Seconds of noise after ASCII from another sender, the receiver still on
// its rate and layout: neither the frames right after the end nor a run of
// noise frames later opens anything (both once printed junk, the second as
// a transmission of its own at quality 0.5 … 0.6).
TEST(ShortRecordings, NoiseAfterAsciiPrintsNothing) {
    if (!HaveMinimodem()) GTEST_SKIP() << "minimodem is not installed";
    const std::string text = "SEA FALLING MORVANE VISIBILITY LAZY PRESSURE CQ THE 73 PRESSURE 40712 STATE QUICK "
                             "PRESSURE WEATHER TEST OVER BROWN 4 PRESSURE FOX THE GOOD STATE FOX THE OVER THE KT WIND";
    for (const char* args : {"-M 1800 -S 1600 -7 --stopbits 1 100", "-M 2300 -S 2100 -8 110"}) {
        const std::vector<float> sent = Minimodem(text, args);
        std::size_t transmissions = 0, junk = 0;
        for (unsigned seed = 1; seed <= 6; ++seed) {
            const std::vector<ReceiverPiece> pieces = Receive(InNoise(sent, 7.0, 1, 12, seed), ReceiverOptions{});
            transmissions += static_cast<std::size_t>(Transmissions(pieces));
            const std::string read = TextOf(pieces);
            const std::size_t end = read.rfind("KT WIND");
            junk += end == std::string::npos ? read.size() : read.size() - (end + 7);
        }
        EXPECT_EQ(transmissions, 6U) << args;
        EXPECT_EQ(junk, 0U) << args;
    }
}

}  // namespace
}  // namespace morvane
