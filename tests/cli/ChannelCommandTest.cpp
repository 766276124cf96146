// `synth --channel ...` and `channel REC ...`: the two routes through the
// HF channel simulator give the same sound, a minimodem transmission goes
// through it and is still read, and malformed options are usage errors.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/CliRunSupport.h"
#include "synth/RttySynth.h"

namespace {

using morvane::clitest::Result;
using morvane::clitest::Slurp;

std::string Temp(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("morvane-channel-" + std::to_string(::getpid()) + "-" + name)).string();
}

Result RunCli(const std::vector<std::string>& args) {
    return morvane::clitest::Run(MORVANE_CLI_BINARY, args, std::filesystem::temp_directory_path());
}

// Sound bytes of a 16-bit mono WAV file written by morvane-cli (44-byte header).
std::size_t Samples(const std::string& path) { return (std::filesystem::file_size(path) - 44) / 2; }

}  // namespace

TEST(ChannelCommand, SynthThroughTheChannelEqualsTheChannelOnTheCleanRecording) {
    const std::string clean = Temp("clean.wav"), direct = Temp("direct.wav"), after = Temp("after.wav");
    const std::vector<std::string> text = {"--text", "RYRY CQ TEST 123", "--baud", "45.45", "--mark", "1585", "--space", "1415"};
    const std::vector<std::string> channel = {"--channel", "poor", "--offset-hz", "20", "--cw", "1800:-10",
                                              "--silence", "0.5", "--snr", "6", "--seed", "7"};
    std::vector<std::string> synth = {"synth"};
    synth.insert(synth.end(), text.begin(), text.end());
    std::vector<std::string> plain = synth;
    plain.insert(plain.end(), {"-o", clean});
    ASSERT_EQ(RunCli(plain).status, 0);
    synth.insert(synth.end(), channel.begin(), channel.end());
    synth.insert(synth.end(), {"-o", direct});
    const Result made = RunCli(synth);
    ASSERT_EQ(made.status, 0) << made.err;
    std::vector<std::string> apply = {"channel", clean, "-o", after};
    apply.insert(apply.end(), channel.begin(), channel.end());
    const Result applied = RunCli(apply);
    ASSERT_EQ(applied.status, 0) << applied.err;
    EXPECT_EQ(Slurp(direct), Slurp(after));
    EXPECT_EQ(Samples(direct), Samples(clean) + 48000);  // half a second of silence each side
    EXPECT_NE(Slurp(direct), Slurp(clean));
    for (const std::string& f : {clean, direct, after}) std::filesystem::remove(f);
}

TEST(ChannelCommand, SynthWithoutChannelOptionsKeepsItsOwnNoise) {
    const std::string path = Temp("own-noise.wav");
    ASSERT_EQ(RunCli({"synth", "--text", "RY 42", "--snr", "3", "--seed", "5", "-o", path}).status, 0);
    morvane::RttySynthSettings settings;
    settings.snrDb = 3.0;
    settings.seed = 5;
    const std::vector<std::int16_t> expected = morvane::SynthesizeRtty("RY 42", settings);
    const std::string bytes = Slurp(path);
    ASSERT_EQ(bytes.size(), 44 + 2 * expected.size());
    EXPECT_EQ(bytes.substr(44), std::string(reinterpret_cast<const char*>(expected.data()), 2 * expected.size()));
    std::filesystem::remove(path);
}

TEST(ChannelCommand, MinimodemTransmissionThroughFadingIsStillRead) {
    const std::string sent = Temp("minimodem.wav"), received = Temp("received.wav");
    const std::string tx = "echo 'RYRY THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG RYRY' | minimodem --tx --baudot "
                           "--stopbits 1.5 -M 1585 -S 1415 -R 48000 -f " + morvane::clitest::Quote(sent) + " 45.45";
    ASSERT_EQ(std::system(tx.c_str()), 0) << "minimodem --tx failed (is minimodem installed?)";
    const Result r = RunCli({"channel", sent, "-o", received, "--channel", "good", "--snr", "20", "--seed", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Result decoded = RunCli({"decode", received, "--auto"});
    EXPECT_EQ(decoded.status, 0) << decoded.err;
    EXPECT_NE(decoded.out.find("THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG"), std::string::npos) << decoded.out;
    std::filesystem::remove(sent);
    std::filesystem::remove(received);
}

TEST(ChannelCommand, BadOptionsAreUsageErrorsAndBadFilesReadErrors) {
    const std::string clean = Temp("errors.wav"), out = Temp("errors-out.wav");
    ASSERT_EQ(RunCli({"synth", "--text", "RY", "-o", clean}).status, 0);
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{"channel", clean, "-o", out, "--cw", "1500"}, 2, "is not HZ:DB"},
        {{"channel", clean, "-o", out, "--cw", "1500:x"}, 2, "is not a number"},
        {{"channel", clean, "-o", out, "--cw", "30000:0"}, 1, "carrier frequency"},
        {{"channel", clean, "-o", out, "--mix", "1500:3"}, 2, "is not FILE:DB:SHIFT_HZ"},
        {{"channel", clean, "-o", out, "--mix", Temp("missing.wav") + ":0:0"}, 1, "cannot read"},
        {{"channel", clean, "-o", out, "--channel", "stormy"}, 2, "stormy"},
        {{"channel", clean, "-o", out, "--paths", "5"}, 2, "--paths"},
        {{"channel", Temp("missing.wav"), "-o", out}, 1, "cannot read"},
        {{"synth", "--text", "RY", "-o", out, "--doppler-hz", "200"}, 2, "--doppler-hz"},
    };
    for (const Case& c : cases) {
        const Result r = RunCli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.back();
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.args.back();
    }
    std::filesystem::remove(clean);
}
