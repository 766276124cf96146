// decode --auto and align on what tends to fool an automatic reading: the
// tuning pattern RYRY sent by another program, the US figures, a steady tone
// between the given tones, and a WAV whose header announces less sound than
// the file holds. A reading is right, or says it found nothing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "recording/RecordingWriter.h"
#include "support/BetweenTonesSupport.h"
#include "support/CliRunSupport.h"

namespace fs = std::filesystem;
using namespace morvane;
using clitest::Result;

namespace {

class AutoReading : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = fs::temp_directory_path() / ("morvane-cli-auto-" + std::to_string(::getpid()));
        fs::create_directories(s_dir);
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        fs::remove_all(s_dir, ignored);
    }
    static Result Run(const std::vector<std::string>& args) {
        return clitest::Run(MORVANE_CLI_BINARY, args, s_dir);
    }
    static std::string Data(const std::string& name) { return std::string(MORVANE_TEST_DATA) + "/" + name; }
    static std::string Repeated(const std::string& piece, int times) {
        std::string out;
        for (int i = 0; i < times; ++i) out += piece;
        return out;
    }
    static inline fs::path s_dir;
};

TEST_F(AutoReading, TuningPatternFromMinimodemReadsAsRy) {
    // Made with minimodem 0.24 (Debian), at 8 kHz:
    //   RY × 30 | minimodem --tx rtty -f minimodem-ry45-8k.wav -R 8000   (45.45 Bd, 1.5 stop bits)
    //   RY × 30 | minimodem --tx --baudot -f minimodem-ry75-8k.wav -R 8000 75   (1 stop bit)
    //   'RYRYRYRYRYRYRYRYRYRY THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG' |
    //     minimodem --tx -8 -f minimodem-ry-ascii8-100-8k.wav -R 8000 100
    const struct {
        const char* file;
        const char* rate;
        std::string text;
    } cases[] = {
        {"minimodem-ry45-8k.wav", "45.45 Bd", Repeated("RY", 30)},
        {"minimodem-ry75-8k.wav", "75 Bd", Repeated("RY", 30)},
        {"minimodem-ry-ascii8-100-8k.wav", "100 Bd", "RYRYRYRYRYRYRYRYRYRY THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        // The receiver, on the whole recording and as it comes.
        for (bool follow : {false, true}) {
            std::vector<std::string> args = {"decode", Data(c.file), "--auto"};
            if (follow) args.push_back("--follow");
            const Result r = Run(args);
            ASSERT_EQ(r.status, 0) << r.err;
            EXPECT_NE(r.out.find(c.text), std::string::npos) << r.out;
            EXPECT_NE(r.err.find(std::string(" · ") + c.rate + " · "), std::string::npos) << r.err;
        }
        // The level-stream reading (the window's Align and the live text).
        const Result whole = Run({"decode", Data(c.file), "--auto", "--reader", "levels"});
        ASSERT_EQ(whole.status, 0) << whole.err;
        EXPECT_NE(whole.out.find(c.text), std::string::npos) << whole.out;
        EXPECT_NE(whole.err.find("confidence 1.00"), std::string::npos) << whole.err;
        const Result follow = Run({"decode", Data(c.file), "--auto", "--follow", "--reader", "levels"});
        ASSERT_EQ(follow.status, 0) << follow.err;
        EXPECT_NE(follow.err.find(std::string(" · ") + c.rate + " · "), std::string::npos) << follow.err;
        EXPECT_NE(follow.out.find(c.text), std::string::npos) << follow.out;
    }
}

// ASCII of every layout is read with --auto and nothing else: 7 and 8 data
// bits, parity, 1 … 2 stop bits, 45.45 … 300 baud, sent by the synthesiser
// and by minimodem (300-baud 8N2 at 825 Hz shift as balloon telemetry sends
// it, 100-baud 7N1), and through a fading channel the layout is still found.
TEST_F(AutoReading, AsciiOfEveryLayoutIsReadWithAutoAlone) {
    const std::string text = "CQ CQ DE MORVANE, the quick brown fox jumps over the lazy dog 0123456789 END";
    const struct {
        const char* code;
        const char* parity;
        const char* stop;
        const char* baud;
        const char* space;  // the mark is 1500 Hz
        const char* header;
    } synth[] = {
        {"ascii7", "even", "1", "50", "2000", " · 50 Bd · 1500.1/2000.2 Hz · ASCII 7-bit, even parity · "},
        {"ascii7", "odd", "1", "75", "2000", " · 75 Bd · "},
        {"ascii7", "none", "2", "50", "2000", " · 50 Bd · "},
        {"ascii7", "even", "2", "110", "2000", " · 110 Bd · "},
        {"ascii7", "odd", "1.5", "56.88", "2000", " · 56.88 Bd · "},
        {"ascii8", "none", "1", "100", "2000", " · 100 Bd · "},
        {"ascii8", "odd", "2", "45.45", "2000", " · 45.45 Bd · "},
        {"ascii8", "even", "1", "200", "2000", " · 200 Bd · "},
        {"ascii8", "none", "2", "300", "2325", " · 300 Bd · "},
    };
    const std::string wav = (s_dir / "ascii.wav").string();
    for (const auto& c : synth) {
        SCOPED_TRACE(std::string(c.code) + " " + c.parity + " " + c.stop + " stop bits " + c.baud + " Bd");
        ASSERT_EQ(Run({"synth", "--text", text, "--code", c.code, "--parity", c.parity, "--stop-bits", c.stop, "--baud",
                       c.baud, "--space", c.space, "-o", wav})
                      .status,
                  0);
        const Result r = Run({"decode", wav, "--auto"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, text + "\r\n");
        const std::string code = std::string(c.code) == "ascii7" ? "ASCII 7-bit" : "ASCII 8-bit";
        const std::string parity = std::string(c.parity) == "none" ? " · " : std::string(", ") + c.parity + " parity · ";
        EXPECT_NE(r.err.find(c.header), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(code + parity), std::string::npos) << r.err;
    }
    // Made with minimodem 0.24 (Debian), at 16 and 8 kHz:
    //   two telemetry lines | minimodem --tx -8 --stopbits 2 -M 2325 -S 1500
    //     -f minimodem-ascii8n2-300-825-16k.wav -R 16000 300
    //   one line | minimodem --tx -7 -f minimodem-ascii7-100-8k.wav -R 8000 100
    const struct {
        const char* file;
        const char* header;
        std::string text;
    } sent[] = {
        {"minimodem-ascii8n2-300-825-16k.wav", " · 300 Bd · ",
         "$$MORVANE,1234,12:34:56,52.12345,-1.23456,10234*1A\r\n$$MORVANE,1235,12:34:58,52.12350,-1.23460,10240*2B\r\n"},
        {"minimodem-ascii7-100-8k.wav", " · 100 Bd · ",
         "CQ CQ DE MORVANE, 100 baud ascii 7 bits: the quick brown fox 0123456789\r\n"},
        {"minimodem-ry-ascii8-100-8k.wav", " · 100 Bd · ",
         "RYRYRYRYRYRYRYRYRYRY THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG\r\n"},
    };
    for (const auto& c : sent) {
        SCOPED_TRACE(c.file);
        for (bool follow : {false, true}) {
            std::vector<std::string> args = {"decode", Data(c.file), "--auto"};
            if (follow) args.push_back("--follow");
            const Result r = Run(args);
            ASSERT_EQ(r.status, 0) << r.err;
            EXPECT_NE(r.out.find(c.text), std::string::npos) << r.out;
            EXPECT_NE(r.err.find(c.header), std::string::npos) << r.err;
        }
    }
    // Through a fading channel some characters are lost, never the layout.
    for (unsigned seed : {1U, 2U, 3U}) {
        SCOPED_TRACE(seed);
        ASSERT_EQ(Run({"synth", "--text", text, "--code", "ascii7", "--parity", "even", "--stop-bits", "1", "--channel",
                       "moderate", "--snr", "10", "--seed", std::to_string(seed), "-o", wav})
                      .status,
                  0);
        const Result r = Run({"decode", wav, "--auto"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find(" · 50 Bd · "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("ASCII 7-bit, even parity"), std::string::npos) << r.err;
        EXPECT_NE(r.out.find("the lazy"), std::string::npos) << r.out;
    }
    const std::string faded = (s_dir / "ascii-faded.wav").string();
    ASSERT_EQ(Run({"channel", Data("minimodem-ascii7-100-8k.wav"), "--channel", "moderate", "--snr", "10", "--seed", "2",
                   "-o", faded})
                  .status,
              0);
    const Result r = Run({"decode", faded, "--auto"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find(" · 100 Bd · "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("ASCII 7-bit · "), std::string::npos) << r.err;
}

TEST_F(AutoReading, UsFiguresComeOutAsSent) {
    const std::string text = "RYRY $5 'Q' #7; \"Z\" ?B RYRY";
    const std::string wav = (s_dir / "us.wav").string();
    for (const char* baud : {"45.45", "75", "100"})
        for (const char* stop : {"1", "1.5", "2"}) {
            SCOPED_TRACE(std::string(baud) + " Bd, " + stop + " stop bits");
            ASSERT_EQ(Run({"synth", "--text", text, "--code", "baudot-us", "--baud", baud, "--stop-bits", stop, "-o", wav})
                          .status,
                      0);
            // The synthesiser shifts to figures once, so the receiver reads
            // it without unshift on space.
            for (const std::vector<std::string>& reader :
                 {std::vector<std::string>{"--reader", "levels"}, std::vector<std::string>{"--no-unshift-on-space"}}) {
                SCOPED_TRACE(reader[0]);
                std::vector<std::string> args = {"decode", wav, "--auto", "--code", "baudot-us"};
                args.insert(args.end(), reader.begin(), reader.end());
                const Result whole = Run(args);
                ASSERT_EQ(whole.status, 0) << whole.err;
                EXPECT_EQ(whole.out, text + "\r\n");
                args.push_back("--follow");
                const Result follow = Run(args);
                ASSERT_EQ(follow.status, 0) << follow.err;
                EXPECT_EQ(follow.out, text + "\r\n");
            }
        }
}

TEST_F(AutoReading, AToneBetweenTheGivenTonesIsNothingFound) {
    using namespace betweentones;
    const std::vector<std::vector<std::int16_t>> sounds = {
        SteadyTone(1750.0, Shape::Sine, 20.0), SteadyTone(1750.0, Shape::Square, 20.0),
        SteadyTone(1750.0, Shape::Clipped, 20.0), Reversals(1500.0, 2000.0, 1000.0, 20.0)};
    const std::string wav = (s_dir / "between.wav").string();
    for (std::size_t k = 0; k < sounds.size(); ++k) {
        SCOPED_TRACE(k);
        WriteWav16Mono(wav, sounds[k]);
        for (bool follow : {false, true})
          for (const char* reader : {"samples", "levels"}) {
            std::vector<std::string> args = {"decode", wav, "--auto", "--low", "1500", "--high", "2000", "--reader", reader};
            if (follow) args.push_back("--follow");
            const Result r = Run(args);
            EXPECT_EQ(r.status, 3) << reader << " follow " << follow << ": " << r.err << r.out;
            EXPECT_EQ(r.out, "") << reader << " follow " << follow;
        }
    }
}

TEST_F(AutoReading, AHeaderThatAnnouncesLessSoundIsReadAsAnnouncedWithAWarning) {
    // Two seconds of sound, the data chunk's size saying one.
    const std::string wav = (s_dir / "short-header.wav").string();
    WriteWav16Mono(wav, betweentones::SteadyTone(1500.0, betweentones::Shape::Sine, 2.0));
    std::fstream file(wav, std::ios::in | std::ios::out | std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::size_t data = bytes.find("data");
    ASSERT_NE(data, std::string::npos);
    const std::uint32_t announced = 48000 * 2;
    file.seekp(static_cast<std::streamoff>(data + 4));
    const char size[4] = {static_cast<char>(announced & 0xFF), static_cast<char>((announced >> 8) & 0xFF),
                          static_cast<char>((announced >> 16) & 0xFF), static_cast<char>(announced >> 24)};
    file.write(size, 4);
    file.close();
    const Result r = Run({"levels", wav});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("warning"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("announces less sound than the file holds"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("96000 bytes after the sound"), std::string::npos) << r.err;
    // One second of levels: 600 less the blocks' dropped samples.
    const auto lines = static_cast<std::size_t>(std::count(r.out.begin(), r.out.end(), '\n'));
    EXPECT_GT(lines, 590U);
    EXPECT_LE(lines, 600U);
}

}  // namespace
