// The rules that hold across morvane-cli's options, run as a user runs the
// program: a tone below 1 Hz, a slant that is not a finite float and a parity
// bit with a Baudot code are usage errors (before anything is read where they
// can be told), and standard input is read by align and decode --auto as a
// recording is, the first blocks held back while the tones are searched.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "RawSamples.h"
#include "recording/RecordingReader.h"
#include "support/CliRunSupport.h"

namespace fs = std::filesystem;
using morvane::RecordingReader;
using morvane::clitest::Result;

namespace {

class CliRules : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = fs::temp_directory_path() / ("morvane-cli-rules-" + std::to_string(::getpid()));
        fs::create_directories(s_dir);
        s_baudot = Synth("baudot.wav", {"--text", "RYRY CQ CQ DE MORVANE 599 THE QUICK BROWN FOX"});
        s_ascii = Synth("ascii.wav", {"--text", "Hello, parity 42. The quick brown fox jumps over the lazy dog.", "--code", "ascii7", "--parity", "even",
                                      "--stop-bits", "1"});
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        fs::remove_all(s_dir, ignored);
    }

    static Result Run(const std::vector<std::string>& args, const std::string& input = "/dev/null") {
        return morvane::clitest::Run(MORVANE_CLI_BINARY, args, s_dir, input);
    }
    static std::string Synth(const std::string& name, std::vector<std::string> args) {
        const std::string path = (s_dir / name).string();
        args.insert(args.begin(), "synth");
        args.insert(args.end(), {"-o", path});
        const Result r = Run(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return path;
    }
    static std::string Raw(const std::string& wav) { return morvane::clitest::RawSamples(wav); }

    static fs::path s_dir;
    static std::string s_baudot, s_ascii;
};

fs::path CliRules::s_dir;
std::string CliRules::s_baudot, CliRules::s_ascii;

// A tone must be 1 Hz or more: a value above 0 that is smaller (which the
// option line would print as 0, a value it refuses) is a usage error.
TEST_F(CliRules, TonesBelowOneHertzAreRefused) {
    for (const std::string low : {"1e-45", "1e-300", "0.5", "0.999"}) {
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"levels", s_baudot, "--low", low},
              std::vector<std::string>{"align", s_baudot, "--low", low},
              std::vector<std::string>{"decode", s_baudot, "--auto", "--high", low}}) {
            const Result r = Run(args);
            EXPECT_EQ(r.status, 2) << args[0] << " " << low << "\n" << r.err;
            EXPECT_NE(r.err.find("1 Hz or more"), std::string::npos) << r.err;
            EXPECT_EQ(r.out, "") << args[0] << " " << low;
        }
    }
    // 1 Hz itself is a tone (a useless one, but a defined reading).
    EXPECT_EQ(Run({"levels", s_baudot, "--low", "1"}).status, 0);
}

// A slant that is not finite as a 32-bit float gave one row and then
// nothing, with status 0: it is a usage error now.
TEST_F(CliRules, SlantMustBeAFiniteFloat) {
    for (const std::string slant : {"nan", "-nan", "inf", "-inf", "1e300", "-3.5e38"}) {
        for (const char* command : {"bits", "decode", "report"}) {
            const Result r = Run({command, s_baudot, "--count", "90", "--slant", slant});
            EXPECT_EQ(r.status, 2) << command << " --slant " << slant << "\n" << r.err;
            EXPECT_NE(r.err.find("not a finite number"), std::string::npos) << r.err;
        }
    }
    const Result large = Run({"bits", s_baudot, "--count", "90", "--slant", "1e30"});
    EXPECT_EQ(large.status, 0) << large.err;
}

// --parity with a Baudot code named by --code is refused before anything is
// read (a missing recording would otherwise be the error), with and without
// --follow; with the code found, right after the alignment, with the same
// message for decode --auto and decode --auto --follow.
TEST_F(CliRules, ParityWithBaudotIsOneRuleForEveryPath) {
    const std::string missing = (s_dir / "missing.wav").string();
    for (const std::vector<std::string>& extra :
         {std::vector<std::string>{"--auto"}, std::vector<std::string>{"--auto", "--follow"},
          std::vector<std::string>{"--follow"}, std::vector<std::string>{}}) {
        std::vector<std::string> args = {"decode", missing, "--code", "baudot-us", "--parity", "odd"};
        args.insert(args.end(), extra.begin(), extra.end());
        const Result r = Run(args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_NE(r.err.find("--parity: only with --code ascii7 or ascii8"), std::string::npos) << r.err;
    }
    const Result whole = Run({"decode", s_baudot, "--auto", "--parity", "even"});
    const Result followed = Run({"decode", s_baudot, "--auto", "--follow", "--parity", "even"});
    EXPECT_EQ(whole.status, 2) << whole.err;
    EXPECT_EQ(followed.status, 2) << followed.err;
    const std::string message = "--parity: only with an ASCII code (baudot has no parity bit)";
    EXPECT_NE(whole.err.find(message), std::string::npos) << whole.err;
    EXPECT_NE(followed.err.find(message), std::string::npos) << followed.err;
    EXPECT_EQ(whole.out, "");
    // Found ASCII frames take --parity alone; the live text reads them in
    // the code it finds, parity bit and all.
    const Result ascii = Run({"decode", s_ascii, "--auto", "--follow", "--parity", "even"});
    EXPECT_EQ(ascii.status, 0) << ascii.err;
    EXPECT_NE(ascii.out.find("Hello, parity 42"), std::string::npos) << ascii.out;
}

// Standard input is read by align, decode --auto and decode --auto --follow
// alike: the tones are searched on its first blocks, held back meanwhile, and
// the result is the recording's.
TEST_F(CliRules, StandardInputIsReadAsTheRecordingIs) {
    for (const std::string& wav : {s_baudot, s_ascii}) {
        const std::string raw = Raw(wav);
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"align"}, std::vector<std::string>{"decode", "--auto"},
              std::vector<std::string>{"decode", "--auto", "--soft"},
              std::vector<std::string>{"decode", "--auto", "--follow"}}) {
            std::vector<std::string> fromFile = args, fromInput = args;
            fromFile.insert(fromFile.begin() + 1, wav);
            fromInput.insert(fromInput.begin() + 1, "-");
            const Result file = Run(fromFile);
            const Result input = Run(fromInput, raw);
            ASSERT_EQ(file.status, 0) << file.err;
            EXPECT_EQ(input.status, 0) << args[0] << " - " << input.err;
            EXPECT_EQ(input.out, file.out) << args[0] << " " << wav;
            EXPECT_EQ(input.err, file.err) << args[0] << " " << wav;
        }
    }
    // Nothing on standard input: no tones to find, status 3.
    const Result empty = Run({"align", "-"});
    EXPECT_EQ(empty.status, 3) << empty.err;
    EXPECT_NE(empty.err.find("cannot find the tones"), std::string::npos) << empty.err;
}

}  // namespace
