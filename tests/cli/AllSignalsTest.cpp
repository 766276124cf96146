// decode --auto --all: every signal of a recording in a block of its own, in
// the order of its lower tone; with --follow every line marked with its
// signal's tones. The recording mixes minimodem's rtty with two of synth's.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "recording/RecordingReader.h"
#include "support/CliRunSupport.h"

namespace fs = std::filesystem;
using morvane::clitest::Result;

namespace {

const std::string kMinimodem = "CQ CQ DE MORVANE RYRY THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 73";
const std::string kWx = "WEATHER NW 12 KT PRESSURE 1012 FALLING SEA STATE 4 VISIBILITY GOOD";
const std::string kAscii = "Telemetry frame 0042: volts=12.6 temp=21C nominal";

class AllSignals : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = fs::temp_directory_path() / ("morvane-cli-all-" + std::to_string(::getpid()));
        fs::create_directories(s_dir);
        const std::string wx = (s_dir / "wx.wav").string(), ascii = (s_dir / "ascii.wav").string();
        s_mix = (s_dir / "mix.wav").string();
        ASSERT_EQ(Run({"synth", "--text", kWx, "--mark", "2900", "--space", "2450", "--baud", "50", "-o", wx}).status, 0);
        ASSERT_EQ(Run({"synth", "--text", kAscii, "--code", "ascii7", "--stop-bits", "1", "--mark", "800", "--space",
                       "600", "--baud", "100", "--idle", "2", "-o", ascii}).status, 0);
        // 45.45 Bd, mark 1585 Hz above space 1415 Hz: the loudest, the others 3 and 6 dB below it.
        const Result m = Run({"channel", std::string(MORVANE_TEST_DATA) + "/minimodem-rtty45-8k.wav", "--mix",
                              wx + ":-3:0", "--mix", ascii + ":-6:0", "--silence", "1", "--snr", "12", "-o", s_mix});
        ASSERT_EQ(m.status, 0) << m.err;
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        fs::remove_all(s_dir, ignored);
    }
    static Result Run(const std::vector<std::string>& args, const std::string& input = "/dev/null") {
        return morvane::clitest::Run(MORVANE_CLI_BINARY, args, s_dir, input);
    }
    static inline fs::path s_dir;
    static inline std::string s_mix;
};

TEST_F(AllSignals, EverySignalInABlockOfItsOwnInToneOrder) {
    const Result r = Run({"decode", s_mix, "--auto", "--all"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::regex block("== (\\d\\d:\\d\\d:\\d\\d) \u00b7 ([\\d.]+) Bd \u00b7 ([\\d.]+)/([\\d.]+) Hz \u00b7 ([^\u00b7\r]+) \u00b7[^\r]*\r\n([^\r]*)\r\n");
    std::vector<std::smatch> found;
    for (auto it = std::sregex_iterator(r.out.begin(), r.out.end(), block); it != std::sregex_iterator(); ++it) found.push_back(*it);
    ASSERT_EQ(found.size(), 3u) << r.out;
    const struct {
        double lowHz;
        const char* baud;
        const char* code;
        const std::string& text;
    } expected[] = {{600, "100", "ASCII 7-bit", kAscii}, {1415, "45.45", "Baudot", kMinimodem}, {2450, "50", "Baudot", kWx}};
    for (std::size_t i = 0; i < found.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(std::stod(found[i][3]), expected[i].lowHz, 10.0);
        EXPECT_EQ(found[i][2], expected[i].baud);
        EXPECT_EQ(found[i][5], expected[i].code);
        EXPECT_EQ(found[i][6].str().substr(0, expected[i].text.size()), expected[i].text);
    }
    EXPECT_EQ(found[1][1], "00:00:01");  // after the second of silence
    // The same from standard input, raw 16-bit samples.
    morvane::RecordingReader reader(s_mix);
    std::vector<std::int16_t> samples(1 << 22);
    samples.resize(reader.Read(samples.data(), samples.size()));
    const std::string raw = (s_dir / "mix.raw").string();
    std::ofstream(raw, std::ios::binary).write(reinterpret_cast<const char*>(samples.data()),
                                               static_cast<std::streamsize>(2 * samples.size()));
    EXPECT_EQ(Run({"decode", "-", "--auto", "--all"}, raw).out, r.out);
}

TEST_F(AllSignals, FollowMarksEveryLineWithItsSignalsTones) {
    const Result all = Run({"decode", s_mix, "--auto", "--all"});
    const Result f = Run({"decode", s_mix, "--auto", "--all", "--follow"});
    ASSERT_EQ(f.status, 0) << f.err;
    std::map<std::string, std::string> bySignal;
    const std::regex line("\\[(\\d+)/(\\d+)\\] ([^\r]*)\r\n");
    std::size_t covered = 0;
    for (auto it = std::sregex_iterator(f.out.begin(), f.out.end(), line); it != std::sregex_iterator(); ++it) {
        bySignal[(*it)[1].str() + "/" + (*it)[2].str()] += (*it)[3].str();
        covered += it->length();
    }
    EXPECT_EQ(covered, f.out.size()) << "every line opens with its signal's tones";
    ASSERT_EQ(bySignal.size(), 3u);
    for (const auto& [tones, text] : bySignal) {
        EXPECT_NE(f.err.find("[" + tones + "] "), std::string::npos) << "a header names " << tones;
        EXPECT_NE(all.out.find("\r\n" + text + "\r\n"), std::string::npos) << tones << ": the same text as the block";
    }
}

TEST_F(AllSignals, NoiseAloneFindsNothingAndUsageIsChecked) {
    const std::string noise = (s_dir / "noise.wav").string();
    ASSERT_EQ(Run({"channel", std::string(MORVANE_TEST_DATA) + "/minimodem-rtty45-8k.wav", "--snr", "-60", "-o", noise}).status, 0);
    const Result n = Run({"decode", noise, "--auto", "--all"});
    EXPECT_EQ(n.status, 3) << n.err;
    EXPECT_EQ(n.out, "");
    EXPECT_NE(n.err.find("no keyed signal found"), std::string::npos) << n.err;
    const struct {
        std::vector<std::string> args;
        const char* says;
    } usage[] = {
        {{"decode", s_mix, "--all"}, "goes with --auto"},
        {{"decode", s_mix, "--auto", "--all", "--low", "1415"}, "not with --low or --high"},
        {{"decode", s_mix, "--auto", "--all", "--reader", "levels"}, "reads the samples"},
        // Live sound is read as a recording is: the same checks, before the card is opened.
        {{"decode", "--live", "--all"}, "goes with --auto"},
        {{"decode", "--live", "--auto", "--all", "--reader", "levels"}, "reads the samples"},
        {{"decode", "--live", "--auto", "--all", "--high", "2000"}, "not with --low or --high"},
        {{"decode", "--live", "--auto", "--all", "/s9"}, "/s9"},
    };
    for (const auto& u : usage) {
        const Result r = Run(u.args);
        EXPECT_NE(r.status, 0);
        EXPECT_NE(r.err.find(u.says), std::string::npos) << r.err;
    }
}

}  // namespace
