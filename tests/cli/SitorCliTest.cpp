// SITOR-B on the command line: synth sends NAVTEX messages, decode reads
// them with --code sitor-b and finds them itself with --auto.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

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
    EXPECT_EQ(Run({"decode", wav, "--code", "sitor-b", "--follow"}).status, 2);
    // --navtex on a recording without SITOR-B: nothing found.
    const std::string baudot = (s_dir / "baudot.wav").string();
    ASSERT_EQ(Run({"synth", "--text", "RYRY DE MORVANE", "-o", baudot}).status, 0);
    const Result r = Run({"decode", baudot, "--auto", "--navtex"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "");
}

}  // namespace
