// morvane-cli's other codes and --follow, run as a user runs them: synth and
// decode agree for every code, and --follow prints the text while its input
// is still arriving, ending with exactly what decode prints without it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "decode/BitTransforms.h"
#include "decode/RowDecoder.h"
#include "raster/BitExtraction.h"
#include "recording/RecordingPipeline.h"
#include "recording/RecordingReader.h"
#include "synth/RttySynth.h"

#include "support/CliRunSupport.h"

namespace fs = std::filesystem;
using namespace morvane;

namespace {

using clitest::Quote;
using clitest::Result;
using clitest::Slurp;

class CodesAndFollow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = fs::temp_directory_path() / ("morvane-cli-follow-" + std::to_string(::getpid()));
        fs::create_directories(s_dir);
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        fs::remove_all(s_dir, ignored);
    }

    static Result Run(const std::vector<std::string>& args, const std::string& input = "/dev/null") {
        return clitest::Run(MORVANE_CLI_BINARY, args, s_dir, input);
    }

    static fs::path s_dir;
};

fs::path CodesAndFollow::s_dir;

// Raster of one frame a row for a 50-baud signal whose first start bit is
// level 300 (half a second of idle before it), read backwards past the stop cells.
std::vector<std::string> FrameArgs(int frameLevels, int stopCells) {
    return {"--count", std::to_string(frameLevels), "--grid-width", "24", "--offset", "300",
            "--reverse-direction", "--ignore", std::to_string(stopCells)};
}

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST_F(CodesAndFollow, EveryCodeThroughSynthAndDecode) {
    const struct {
        const char* name;
        std::vector<std::string> codeArgs;
        const char* stopBits;
        int frameLevels, stopCells;
        CodeSettings code;
        std::string text, shown;
    } cases[] = {
        {"baudot", {}, "1.5", 90, 2, {}, "CQ DE MORVANE 73", "CQ DE MORVANE 73"},
        {"baudot-us", {"--code", "baudot-us"}, "1.5", 90, 2, {TextCode::BaudotUs, Parity::None},
         "PAY $5; \"OK\" #2?", "PAY $5; \"OK\" #2?"},
        {"ascii7", {"--code", "ascii7"}, "1", 108, 1, {TextCode::Ascii7, Parity::None}, "Hi there!\tok",
         "Hi there!<HT>ok"},
        {"ascii7 odd", {"--code", "ascii7", "--parity", "odd"}, "2", 132, 2, {TextCode::Ascii7, Parity::Odd},
         "Odd {parity}", "Odd {parity}"},
        {"ascii8 even", {"--code", "ascii8", "--parity", "even"}, "1.5", 138, 2, {TextCode::Ascii8, Parity::Even},
         "na\xC3\xAFve", "na<xC3><xAF>ve"},
    };
    for (const auto& c : cases) {
        const std::string wav = (s_dir / (std::string(c.name) + ".wav")).string();
        const Result synth = Run(Join({"synth", "--text", c.text, "--stop-bits", c.stopBits, "-o", wav}, c.codeArgs));
        ASSERT_EQ(synth.status, 0) << c.name << ": " << synth.err;
        const std::vector<std::string> decodeArgs = Join(Join({"decode", wav}, FrameArgs(c.frameLevels, c.stopCells)), c.codeArgs);
        const Result decoded = Run(decodeArgs);
        ASSERT_EQ(decoded.status, 0) << c.name << ": " << decoded.err;
        // The last row may be cut short by the end of the recording.
        EXPECT_EQ(decoded.out.substr(0, c.shown.size()), c.shown) << c.name;

        // The same as the core gives for the same bits.
        RecordingReader reader(wav);
        RasterParams raster;
        raster.count = c.frameLevels;
        raster.offset = 300;
        std::string text;
        DecodeText(PrepareBits(ExtractBits(RecordingLevels(reader, DemodSettings{}), raster), false, true, c.stopCells),
                   c.stopCells, c.code, text);
        EXPECT_EQ(decoded.out, text + "\r\n") << c.name;

        // --follow ends with exactly the same output.
        const Result followed = Run(Join(decodeArgs, {"--follow"}));
        EXPECT_EQ(followed.status, 0) << followed.err;
        EXPECT_EQ(followed.out, decoded.out) << c.name;
    }
}

TEST_F(CodesAndFollow, CodeWordsAreChecked) {
    const struct {
        std::vector<std::string> args;
        const char* wantInError;
    } cases[] = {
        {{"decode", "-", "--code", "ascii"}, "--code"},
        {{"decode", "-", "--parity", "even"}, "only with --code ascii7 or ascii8"},
        {{"decode", "-", "--code", "ascii7", "--parity", "mark"}, "--parity"},
        {{"decode", "-", "--follow", "--show-bits"}, "not with --follow"},
        {{"synth", "--text", "A", "--code", "baudot-us", "--parity", "odd", "-o", "/dev/null"}, "only with"},
        {{"synth", "--text", "caf\xC3\xA9", "--code", "ascii7", "-o", "/dev/null"}, "U+00E9"},
        {{"synth", "--text", "1+1", "--code", "baudot-us", "-o", "/dev/null"}, "'+'"},
    };
    for (const auto& c : cases) {
        const Result r = Run(c.args);
        EXPECT_EQ(r.status, 2) << c.args[0] << " " << c.args[2] << "\n" << r.err;
        EXPECT_NE(r.err.find(c.wantInError), std::string::npos) << r.err;
    }
}

TEST_F(CodesAndFollow, FollowOnStandardInputEqualsTheWholeDecode) {
    const std::string wav = (s_dir / "stdin.wav").string();
    ASSERT_EQ(Run({"synth", "--text", "RYRY DE MORVANE", "-o", wav}).status, 0);
    const fs::path raw = s_dir / "stdin.raw";
    {
        const std::string bytes = Slurp(wav);
        std::ofstream(raw, std::ios::binary) << bytes.substr(44);  // the 44-byte header of a 16-bit PCM WAV
    }
    const std::vector<std::string> args = Join({"decode", "-"}, FrameArgs(90, 2));
    const Result whole = Run(args, raw.string());
    ASSERT_EQ(whole.status, 0) << whole.err;
    EXPECT_EQ(whole.out.substr(0, 15), "RYRY DE MORVANE");
    const Result followed = Run(Join(args, {"--follow"}), raw.string());
    EXPECT_EQ(followed.status, 0) << followed.err;
    EXPECT_EQ(followed.out, whole.out);
    // An empty input gives the line end alone, as without --follow.
    EXPECT_EQ(Run({"decode", "-", "--follow"}).out, "\r\n");
}

// With the raster given, and with --auto (the tones, then the frames found
// from the first seconds of the input).
TEST_F(CodesAndFollow, FollowPrintsTextBeforeTheInputEnds) {
    const std::string text = "CQ CQ CQ DE MORVANE MORVANE 0123456789 THE QUICK BROWN FOX";
    const std::vector<std::int16_t> samples = SynthesizeRtty(text, RttySynthSettings{});
    const std::size_t half = samples.size() / 2;

    ::signal(SIGPIPE, SIG_IGN);  // should the program end early, writing must fail, not kill the test
    for (const std::vector<std::string>& how : {FrameArgs(90, 2), std::vector<std::string>{"--auto", "--reader", "levels"}}) {
    SCOPED_TRACE(how[0]);
    int toChild[2], fromChild[2];
    ASSERT_EQ(::pipe(toChild), 0);
    ASSERT_EQ(::pipe(fromChild), 0);
    std::vector<std::string> args = Join({"morvane-cli", "decode", "-", "--follow"}, how);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(toChild[0], 0);
        ::dup2(fromChild[1], 1);
        const int quiet = ::open("/dev/null", O_WRONLY);  // the headers of --auto
        ::dup2(quiet, 2);
        ::close(toChild[0]);
        ::close(toChild[1]);
        ::close(fromChild[0]);
        ::close(fromChild[1]);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(MORVANE_CLI_BINARY, argv.data());
        ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    const auto writeAll = [&](const std::int16_t* data, std::size_t count) {
        const char* bytes = reinterpret_cast<const char*>(data);
        std::size_t left = count * 2;
        while (left > 0) {
            const ssize_t n = ::write(toChild[1], bytes, left);
            if (n <= 0) return false;
            bytes += n;
            left -= static_cast<std::size_t>(n);
        }
        return true;
    };
    const auto readSome = [&](std::string& got) {
        // The wait is only a guard against a hang: text comes within a block or two.
        pollfd p{fromChild[0], POLLIN, 0};
        if (::poll(&p, 1, 60000) <= 0) return false;
        char buffer[256];
        const ssize_t n = ::read(fromChild[0], buffer, sizeof buffer);
        if (n <= 0) return false;
        got.append(buffer, static_cast<std::size_t>(n));
        return true;
    };

    // Half of the recording, the input kept open: the characters of its
    // whole blocks come out.
    ASSERT_TRUE(writeAll(samples.data(), half));
    std::string early;
    while (early.size() < 12 && readSome(early)) {}
    EXPECT_GE(early.size(), 12u);
    EXPECT_EQ(text.substr(0, early.size()), early);

    ASSERT_TRUE(writeAll(samples.data() + half, samples.size() - half));
    ::close(toChild[1]);
    std::string rest;
    while (readSome(rest)) {}
    ::close(fromChild[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string all = early + rest;
    EXPECT_EQ(all.substr(0, text.size()), text) << all;
    }
}

TEST_F(CodesAndFollow, FollowSoftEqualsSoft) {
    const std::string wav = (s_dir / "soft.wav").string();
    ASSERT_EQ(Run({"synth", "--text", "RYRY THE QUICK BROWN FOX 73", "--snr", "-3", "--seed", "4", "-o", wav}).status,
              0);
    const fs::path raw = s_dir / "soft.raw";
    std::ofstream(raw, std::ios::binary) << Slurp(wav).substr(44);
    for (const std::vector<std::string>& trim : {std::vector<std::string>{}, std::vector<std::string>{"--soft-trim", "2"}}) {
        for (const std::string& input : {wav, std::string("-")}) {
            const std::vector<std::string> args = Join(Join({"decode", input, "--soft"}, FrameArgs(90, 2)), trim);
            const Result whole = Run(args, raw.string());
            ASSERT_EQ(whole.status, 0) << whole.err;
            const Result followed = Run(Join(args, {"--follow"}), raw.string());
            EXPECT_EQ(followed.status, 0) << followed.err;
            EXPECT_EQ(followed.out, whole.out) << input;
        }
    }
}

TEST_F(CodesAndFollow, AutoFollowStartsEveryTransmissionOnItsOwnLine) {
    RttySynthSettings fast;
    fast.baud = 75.0;
    fast.stopBits = 1.0;
    const std::string first = "FIRST TRANSMISSION AT FIFTY BAUD RYRYRYRY", second = "NOW SEVENTY FIVE BAUD RYRYRYRY";
    std::vector<std::int16_t> samples = SynthesizeRtty(first, RttySynthSettings{});
    samples.resize(samples.size() + 96000, 0);  // two seconds of silence
    const std::vector<std::int16_t> more = SynthesizeRtty(second, fast);
    samples.insert(samples.end(), more.begin(), more.end());
    const fs::path raw = s_dir / "two.raw";
    std::ofstream(raw, std::ios::binary)
        .write(reinterpret_cast<const char*>(samples.data()), static_cast<std::streamsize>(samples.size() * 2));

    for (bool soft : {false, true}) {
        std::vector<std::string> args = {"decode", "-", "--auto", "--reader", "levels", "--follow", "--low", "1500", "--high", "2000"};
        if (soft) args.push_back("--soft");
        const Result r = Run(args, raw.string());
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, first + "\r\n" + second + "\r\n");
        EXPECT_NE(r.err.find("morvane-cli: 00:00:00 \u00b7 50 Bd \u00b7 1500/2000 Hz \u00b7 Baudot\n"), std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find(" \u00b7 75 Bd \u00b7 1500/2000 Hz \u00b7 Baudot\n"), std::string::npos) << r.err;
    }
    // Tones searched in the first seconds: said on standard error.
    const Result searched = Run({"decode", "-", "--auto", "--reader", "levels", "--follow"}, raw.string());
    EXPECT_EQ(searched.status, 0) << searched.err;
    EXPECT_EQ(searched.out, first + "\r\n" + second + "\r\n");
    EXPECT_NE(searched.err.find("morvane-cli: tones: low 1500"), std::string::npos) << searched.err;

    const fs::path silence = s_dir / "silence.raw";
    std::ofstream(silence, std::ios::binary) << std::string(48000 * 2 * 5, '\0');
    const struct {
        std::vector<std::string> args;
        int status;
        const char* wantInError;
    } refused[] = {
        {{"decode", "-", "--auto", "--reader", "levels", "--follow", "--low", "1500", "--high", "2000"}, 3, "no steady frame structure"},
        {{"decode", "-", "--auto", "--reader", "levels", "--follow"}, 3, "cannot find the tones"},
        {{"decode", "-", "--auto", "--reader", "levels", "--follow", "--count", "90"}, 2, "--count"},
        {{"decode", "-", "--auto", "--reader", "levels", "--follow", "--reverse-bits"}, 2, "--reverse-bits"},
    };
    for (const auto& c : refused) {
        const Result r = Run(c.args, silence.string());
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.wantInError), std::string::npos) << r.err;
    }
}
