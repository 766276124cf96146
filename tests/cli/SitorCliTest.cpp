// SITOR-B on the command line: synth sends NAVTEX messages, decode reads
// them with --code sitor-b and finds them itself with --auto.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "RawSamples.h"
#include "support/CliRunSupport.h"

namespace fs = std::filesystem;

namespace {

using morvane::clitest::Result;
using morvane::clitest::Slurp;

class SitorCli : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = fs::temp_directory_path() / ("morvane-cli-sitor-" + std::to_string(::getpid()));
        fs::create_directories(s_dir);
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        fs::remove_all(s_dir, ignored);
    }
    static Result Run(const std::vector<std::string>& args, const std::string& input = "/dev/null") {
        return morvane::clitest::Run(MORVANE_CLI_BINARY, args, s_dir, input);
    }
    static std::string Raw(const std::string& wav) { return morvane::clitest::RawSamples(wav); }
    static fs::path s_dir;
};

fs::path SitorCli::s_dir;

const char* kMessage = "GALE WARNING SEA AREA 12 WINDS 8 TO 9.";

TEST_F(SitorCli, SynthAndDecodeAgreeThroughTheChannel) {
    const std::string wav = (s_dir / "navtex.wav").string();
    struct Case {
        std::vector<std::string> synth;
        std::vector<std::string> decode;
    } cases[] = {
        {{}, {"--code", "sitor-b"}},
        {{"--mark", "1615", "--space", "1785", "--snr", "3", "--seed", "2"}, {"--auto"}},
        {{"--channel", "moderate", "--snr", "6", "--seed", "3"}, {"--auto"}},
        {{"--channel", "good", "--snr", "6", "--seed", "1"}, {"--code", "sitor-b", "--low", "1615", "--high", "1785"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> synth = {"synth", "--code", "sitor-b", "--navtex", "EA01", "--text", kMessage, "-o", wav};
        synth.insert(synth.end(), c.synth.begin(), c.synth.end());
        ASSERT_EQ(Run(synth).status, 0);
        std::vector<std::string> decode = {"decode", wav};
        decode.insert(decode.end(), c.decode.begin(), c.decode.end());
        const Result r = Run(decode);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, std::string("ZCZC EA01\r\n") + kMessage + "\r\nNNNN\r\n\r\n\r\n") << c.decode[0];
        if (c.decode[0] == "--auto") {
            EXPECT_NE(r.err.find("code: sitor-b ("), std::string::npos) << r.err;
        }
    }
}

TEST_F(SitorCli, NavtexMessagesComeOnceAsBlocksAndFiles) {
    // The same message twice (a transmitter's repeat) and another one.
    const std::string text = std::string(kMessage) + "\nNNNN\n\nZCZC EA01\n" + kMessage + "\nNNNN\n\nZCZC EE02\nFORECAST FAIR";
    const std::string wav = (s_dir / "twice.wav").string();
    ASSERT_EQ(Run({"synth", "--code", "sitor-b", "--navtex", "EA01", "--text", text, "-o", wav}).status, 0);
    const Result r = Run({"decode", wav, "--code", "sitor-b", "--navtex"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "00:00:02 \u00b7 station E \u00b7 navigational warning \u00b7 number 01 \u00b7 0 errors\r\n"
              "ZCZC EA01\r\n" + std::string(kMessage) + "\r\nNNNN\r\n\r\n"
              "00:00:21 \u00b7 station E \u00b7 meteorological forecast \u00b7 number 02 \u00b7 0 errors\r\n"
              "ZCZC EE02\r\nFORECAST FAIR\r\nNNNN\r\n\r\n");
    const fs::path dir = s_dir / "messages";
    fs::create_directories(dir);
    ASSERT_EQ(Run({"decode", wav, "--auto", "--navtex", "-o", dir.string()}).status, 0);
    EXPECT_NE(Slurp(dir / "EA01.txt").find(kMessage), std::string::npos);
    EXPECT_NE(Slurp(dir / "EE02.txt").find("FORECAST FAIR"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

TEST_F(SitorCli, FldigisNavtexIsReadByItself) {
    // fldigi's own NAVTEX transmitter (recorded at 48 kHz, kept at 8 kHz, its
    // leading carrier cut): fldigi wraps the text, itself a message, in its
    // own header ZCZC ZI01 and NNNN.
    const std::string wav = std::string(MORVANE_TEST_DATA) + "/fldigi-navtex-8k.wav";
    const Result r = Run({"decode", wav, "--auto"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, std::string("ZCZC ZI01\r\nZCZC EA01\r\n") + kMessage + "\r\nNNNN\r\n\r\nNNNN\r\n\r\n\r\n");
    const Result blocks = Run({"decode", wav, "--auto", "--navtex"});
    EXPECT_NE(blocks.out.find("station E \u00b7 navigational warning \u00b7 number 01 \u00b7 0 errors\r\nZCZC EA01\r\n"),
              std::string::npos) << blocks.out;
}

TEST_F(SitorCli, NoiseFindsNothingAndWrongWordsAreRefused) {
    const std::string wav = (s_dir / "noise.wav").string();
    ASSERT_EQ(Run({"synth", "--code", "sitor-b", "--text", "X", "--snr", "-40", "-o", wav}).status, 0);
    const Result noise = Run({"decode", wav, "--code", "sitor-b", "--low", "1615", "--high", "1785"});
    EXPECT_EQ(noise.status, 3);
    EXPECT_EQ(noise.out, "");
    EXPECT_EQ(Run({"synth", "--code", "sitor-b", "--text", "50%", "-o", wav}).status, 2);
    EXPECT_EQ(Run({"synth", "--code", "sitor-b", "--navtex", "E1", "--text", "X", "-o", wav}).status, 2);
    EXPECT_EQ(Run({"synth", "--navtex", "EA01", "--text", "X", "-o", wav}).status, 2);
    EXPECT_EQ(Run({"decode", wav, "--code", "sitor-b", "--parity", "even"}).status, 2);
    EXPECT_EQ(Run({"bits", wav, "--code", "sitor-b"}).status, 2);  // bits takes no --code
    EXPECT_EQ(Run({"decode", wav, "--code", "sitor-b", "--count", "42"}).status, 2);
    EXPECT_EQ(Run({"decode", wav, "--code", "sitor-b", "--follow", "--soft"}).status, 2);
    // Followed, noise prints nothing either.
    const Result followed = Run({"decode", wav, "--code", "sitor-b", "--follow"});
    EXPECT_EQ(followed.status, 3);
    EXPECT_EQ(followed.out, "");
    const Result piped = Run({"decode", "-", "--code", "sitor-b", "--follow"}, Raw(wav));
    EXPECT_EQ(piped.status, 3);
    EXPECT_EQ(piped.out, "");
    // --navtex on a recording without SITOR-B: nothing found.
    const std::string baudot = (s_dir / "baudot.wav").string();
    ASSERT_EQ(Run({"synth", "--text", "RYRY DE MORVANE", "-o", baudot}).status, 0);
    const Result r = Run({"decode", baudot, "--auto", "--navtex"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "");
}

TEST_F(SitorCli, FollowedTheTextIsTheWholeReadingsAndComesAsItIsRead) {
    const std::string text = std::string(kMessage) + "\nNNNN\n\nZCZC EE02\nFORECAST FAIR";
    struct Case {
        const char* name;
        std::vector<std::string> synth;
    } cases[] = {
        {"clean", {}},
        {"mark low, 0 dB", {"--mark", "1615", "--space", "1785", "--snr", "0", "--seed", "4"}},
        {"moderate +3 dB", {"--channel", "moderate", "--snr", "3", "--seed", "6"}},
        {"flutter +6 dB", {"--channel", "flutter", "--snr", "6", "--seed", "2"}},
    };
    for (const Case& c : cases) {
        const std::string wav = (s_dir / "follow.wav").string();
        std::vector<std::string> synth = {"synth", "--code", "sitor-b", "--navtex", "EA01", "--text", text, "-o", wav};
        synth.insert(synth.end(), c.synth.begin(), c.synth.end());
        ASSERT_EQ(Run(synth).status, 0);
        const Result whole = Run({"decode", wav, "--code", "sitor-b"});
        ASSERT_EQ(whole.status, 0) << c.name << whole.err;
        const Result followed = Run({"decode", wav, "--code", "sitor-b", "--follow"});
        EXPECT_EQ(followed.status, 0) << c.name << followed.err;
        EXPECT_EQ(followed.out, whole.out) << c.name;
        // Every message's header where it begins, as the whole reading has them.
        for (const char* header : {"NAVTEX EA01 \u00b7 station E \u00b7 navigational warning \u00b7 number 01",
                                   "NAVTEX EE02 \u00b7 station E \u00b7 meteorological forecast \u00b7 number 02",
                                   "\u00b7 100 Bd \u00b7 "}) {
            EXPECT_NE(followed.err.find(header), std::string::npos) << c.name << ": " << followed.err;
            EXPECT_EQ(followed.err.find(header) != std::string::npos, whole.err.find(header) != std::string::npos) << c.name;
        }
        // From standard input: the tones found as soon as they show, the same text.
        const Result piped = Run({"decode", "-", "--code", "sitor-b", "--follow"}, Raw(wav));
        EXPECT_EQ(piped.status, 0) << c.name << piped.err;
        EXPECT_NE(piped.out.find("FORECAST FAIR"), std::string::npos) << c.name << piped.out;
        EXPECT_NE(piped.out.find("ZCZC EA01\r\n"), std::string::npos) << c.name << piped.out;
    }
}

TEST_F(SitorCli, FollowedMessagesComeOnceAsTheyEnd) {
    const std::string text = std::string(kMessage) + "\nNNNN\n\nZCZC EA01\n" + kMessage + "\nNNNN\n\nZCZC EE02\nFORECAST FAIR";
    const std::string wav = (s_dir / "twice-followed.wav").string();
    ASSERT_EQ(Run({"synth", "--code", "sitor-b", "--navtex", "EA01", "--text", text, "-o", wav}).status, 0);
    const Result whole = Run({"decode", wav, "--code", "sitor-b", "--navtex"});
    // Copies as good as the first are left out: the blocks of the whole reading.
    const Result followed = Run({"decode", wav, "--code", "sitor-b", "--navtex", "--follow"});
    ASSERT_EQ(followed.status, 0) << followed.err;
    EXPECT_EQ(followed.out, whole.out);
    const fs::path dir = s_dir / "followed-messages";
    fs::create_directories(dir);
    ASSERT_EQ(Run({"decode", "-", "--code", "sitor-b", "--navtex", "--follow", "-o", dir.string()}, Raw(wav)).status, 0);
    EXPECT_NE(Slurp(dir / "EA01.txt").find(kMessage), std::string::npos);
    EXPECT_NE(Slurp(dir / "EE02.txt").find("FORECAST FAIR"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
    // fldigi's sender, followed.
    const std::string fldigi = std::string(MORVANE_TEST_DATA) + "/fldigi-navtex-8k.wav";
    const Result theirs = Run({"decode", fldigi, "--code", "sitor-b", "--follow"});
    EXPECT_EQ(theirs.status, 0) << theirs.err;
    EXPECT_EQ(theirs.out, Run({"decode", fldigi, "--code", "sitor-b"}).out);
    EXPECT_NE(theirs.out.find(kMessage), std::string::npos);
}

TEST_F(SitorCli, EverySignalFindsSitorBAmongTheOthers) {
    // NAVTEX at 1615/1785 Hz beside 50-baud Baudot at 2450/2900 Hz.
    const std::string navtex = (s_dir / "all-navtex.wav").string(), wx = (s_dir / "all-wx.wav").string();
    const std::string mix = (s_dir / "all-mix.wav").string();
    ASSERT_EQ(Run({"synth", "--code", "sitor-b", "--navtex", "EA01", "--text", kMessage, "-o", navtex}).status, 0);
    ASSERT_EQ(Run({"synth", "--text", "WEATHER NW 12 KT PRESSURE 1012 FALLING", "--mark", "2900", "--space", "2450",
                   "--baud", "50", "-o", wx}).status, 0);
    ASSERT_EQ(Run({"channel", navtex, "--mix", wx + ":-3:0", "--snr", "15", "-o", mix}).status, 0);
    const Result r = Run({"decode", mix, "--auto", "--all"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(" \u00b7 100 Bd \u00b7 "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" Hz \u00b7 SITOR-B \u00b7 mark (B) on the high tone \u00b7 "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(std::string("ZCZC EA01\r\n") + kMessage + "\r\nNNNN"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("WEATHER NW 12 KT"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" \u00b7 50 Bd \u00b7 "), std::string::npos) << r.out;
}

TEST_F(SitorCli, StandardInputWithAutoFindsSitorAndHandsOtherCodesOn) {
    const std::string wav = (s_dir / "auto-stdin.wav").string();
    ASSERT_EQ(Run({"synth", "--code", "sitor-b", "--navtex", "EA01", "--text", kMessage, "--snr", "6", "-o", wav}).status, 0);
    const Result sitor = Run({"decode", "-", "--auto"}, Raw(wav));
    EXPECT_EQ(sitor.status, 0) << sitor.err;
    EXPECT_EQ(sitor.out, Run({"decode", wav, "--auto"}).out);
    EXPECT_NE(sitor.err.find("code: sitor-b ("), std::string::npos) << sitor.err;
    // Baudot and ASCII on standard input: read by the receiver from the first sample, as from the file.
    for (const std::vector<std::string>& synth :
         {std::vector<std::string>{"--text", "RYRY CQ CQ DE MORVANE K"},
          std::vector<std::string>{"--code", "ascii7", "--baud", "110", "--text", "HELLO FROM THE ASCII SIDE"}}) {
        const std::string other = (s_dir / "auto-other.wav").string();
        std::vector<std::string> args = {"synth", "-o", other};
        args.insert(args.end(), synth.begin(), synth.end());
        ASSERT_EQ(Run(args).status, 0);
        const Result file = Run({"decode", other, "--auto"});
        const Result piped = Run({"decode", "-", "--auto"}, Raw(other));
        EXPECT_EQ(piped.status, file.status) << piped.err;
        EXPECT_EQ(piped.out, file.out) << synth[1];
        EXPECT_EQ(piped.err.find("sitor-b"), std::string::npos) << piped.err;
    }
}

}  // namespace
