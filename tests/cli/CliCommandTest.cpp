#include <gtest/gtest.h>
#include <png.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <thread>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/CliRunSupport.h"
#include "recording/RecordingPipeline.h"
#include "recording/RecordingReader.h"
#include "raster/RasterImage.h"

using namespace std::string_literals;

namespace {

using morvane::clitest::Result;
using morvane::clitest::Slurp;

const std::string kData = MORVANE_TEST_DATA;

std::string Temp(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("morvane-cli-" + std::to_string(::getpid()) + "-" + name)).string();
}

// Runs morvane-cli with shell-quoted args.
Result RunCli(const std::vector<std::string>& args, const std::string& stdinPath = "/dev/null") {
    return morvane::clitest::Run(MORVANE_CLI_BINARY, args, std::filesystem::temp_directory_path(), stdinPath);
}

std::vector<std::int64_t> Numbers(const std::string& text) {
    std::vector<std::int64_t> v;
    std::istringstream in(text);
    for (std::int64_t x; in >> x;) v.push_back(x);
    return v;
}

class CliCommand : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sample = Temp("sample.wav");
        const Result r = RunCli({"synth", "--text", "RY", "-o", sample});
        ASSERT_EQ(r.status, 0) << r.err;
    }
    static void TearDownTestSuite() { std::filesystem::remove(sample); }
    static std::string sample;
};
std::string CliCommand::sample;

}  // namespace

// Synthesise a known text and read its levels back: idle mark is high, and
// the first character 'R' (code 10 = 01010, sent least significant first)
// shows start space, data 0 1 0 1 0, then the stop mark.
TEST_F(CliCommand, SynthesisedTextDemodulatesToItsKeying) {
    const Result r = RunCli({"levels", sample});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto levels = Numbers(r.out);
    // 0.5 s idle + 2 × 7.5 bits of 20 ms + 0.5 s idle = 1.3 s: about 780 levels.
    ASSERT_GT(levels.size(), 760u);
    ASSERT_LT(levels.size(), 790u);
    for (std::size_t i = 0; i < 295; ++i) ASSERT_GT(levels[i], 200) << i;
    // The first space level marks the start bit; bit centres follow every 12 levels.
    std::size_t start = 0;
    while (start < levels.size() && levels[start] >= 128) ++start;
    ASSERT_NEAR(static_cast<double>(start), 300.0, 6.0);
    const bool mark[] = {false, false, true, false, true, false, true};  // start, 0 1 0 1 0, stop
    for (int bit = 0; bit < 7; ++bit) {
        const auto level = levels[start + 6 + 12 * bit];
        if (mark[bit]) EXPECT_GT(level, 200) << bit;
        else EXPECT_LT(level, 56) << bit;
    }
    for (std::size_t i = levels.size() - 280; i < levels.size(); ++i) EXPECT_GT(levels[i], 200) << i;
    // Swapping the tones mirrors the levels around 128.
    const auto swapped = Numbers(RunCli({"levels", sample, "--low", "2000", "--high", "1500"}).out);
    ASSERT_EQ(swapped.size(), levels.size());
    for (std::size_t i = 0; i < levels.size(); ++i) ASSERT_NEAR(swapped[i], 256 - levels[i], 1) << i;
}

TEST_F(CliCommand, StandardInputGivesTheSameLevelsAndIgnoresAnOddByte) {
    // The WAV file's sound as raw samples on standard input, plus one stray byte.
    const std::string wav = Slurp(sample);
    const std::string raw = Temp("raw.s16");
    {
        std::ofstream out(raw, std::ios::binary);
        out << wav.substr(44) << 'x';
    }
    const Result fromFile = RunCli({"levels", sample});
    const Result fromStdin = RunCli({"levels", "-"}, raw);
    EXPECT_EQ(fromStdin.status, 0) << fromStdin.err;
    EXPECT_EQ(fromStdin.out, fromFile.out);
    std::filesystem::remove(raw);
}

TEST_F(CliCommand, SpectrumShowsTheMarkTone) {
    const Result r = RunCli({"spectrum", sample, "--block", "0"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto bins = Numbers(r.out);
    ASSERT_EQ(bins.size(), 4096u);
    // Block 0 is idle mark at 1500 Hz: bin 128, about 16 dB above its close neighbours.
    std::size_t peak = 1;
    for (std::size_t k = 1; k < 2048; ++k)
        if (bins[k] > bins[peak]) peak = k;
    EXPECT_EQ(peak, 128u);
    EXPECT_GT(bins[128], 210);
    for (std::size_t k = 1; k < 2048; ++k) EXPECT_EQ(bins[k], bins[4096 - k]) << k;
    const Result beyond = RunCli({"spectrum", sample, "--block", "2"});
    EXPECT_EQ(beyond.status, 1);
    EXPECT_NE(beyond.err.find("no block 2: the recording has 2 blocks"), std::string::npos) << beyond.err;
}

TEST_F(CliCommand, RasterWritesAPngOfTheAskedSize) {
    const std::string png = Temp("raster.png");
    const Result r = RunCli({"raster", sample, "--size", "300x120", "--count", "90", "-o", png});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string bytes = Slurp(png);
    ASSERT_GT(bytes.size(), 33u);
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    const auto be32 = [&](std::size_t at) {
        return (std::uint32_t(std::uint8_t(bytes[at])) << 24) | (std::uint32_t(std::uint8_t(bytes[at + 1])) << 16) |
               (std::uint32_t(std::uint8_t(bytes[at + 2])) << 8) | std::uint8_t(bytes[at + 3]);
    };
    EXPECT_EQ(be32(16), 300u);  // IHDR width and height
    EXPECT_EQ(be32(20), 120u);
    EXPECT_EQ(bytes[24], 8);    // bit depth
    EXPECT_EQ(bytes[25], 2);    // RGB
    std::filesystem::remove(png);
}

// Every kind of bad input ends with a clear message or a defined result.
TEST_F(CliCommand, BadInputGivesAClearErrorOrADefinedResult) {
    const std::string png = Temp("bad.png");
    const std::string wav = Temp("bad.wav");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;  // expected in stderr; "" when stderr must stay empty
        const char* stdinPath = "/dev/null";
    };
    const Case cases[] = {
        {{}, 2, "subcommand is required"},
        {{"levels"}, 2, "recording"},
        {{"levels", kData + "/missing.wav"}, 1, "cannot read '" + kData + "/missing.wav': no such file"},
        {{"levels", kData + "/empty.wav"}, 1, "the file is empty"},
        {{"levels", kData + "/not-audio.wav"}, 1, "not a recording"},
        {{"levels", kData + "/cut-header.wav"}, 1, "not a recording"},
        {{"levels", kData + "/corrupt.flac"}, 1, "cannot read"},
        {{"levels", kData + "/truncated.wav"}, 0, "warning"},
        {{"levels", kData + "/zero-length.wav"}, 0, ""},
        {{"levels", "-"}, 0, ""},
        {{"levels", "-", "--channel", "2"}, 1, "raw input has 1 channel"},
        {{"levels", sample, "--channel", "0"}, 2, "first channel is 1"},
        {{"levels", sample, "--channel", "2"}, 1, "recording has 1 channel"},
        {{"levels", sample, "--low", "0"}, 2, "outside"},
        {{"levels", sample, "--low", "-1500"}, 2, "outside"},
        {{"levels", sample, "--high", "24001"}, 2, "outside"},
        {{"levels", sample, "--high", "1e300"}, 2, "outside"},
        {{"levels", sample, "--low", "nan"}, 2, "outside"},
        {{"levels", sample, "--low", "inf"}, 2, "outside"},
        {{"levels", sample, "--low", "abc"}, 2, "not a number"},
        {{"levels", sample, "-o", "/nonexistent-dir/levels.txt"}, 1, "cannot write '/nonexistent-dir/levels.txt'"},
        {{"levels", sample, "-o", "/dev/full"}, 1, "cannot write '/dev/full'"},
        {{"spectrum", sample, "--block", "-1"}, 2, "--block"},
        {{"spectrum", kData + "/zero-length.wav"}, 1, "no block 0"},
        {{"raster", sample, "--size", "0x0", "-o", png}, 2, "no pixels"},
        {{"raster", sample, "--size", "100000x100000", "-o", png}, 2, "too large"},
        {{"raster", sample, "--size", "99999999999x2", "-o", png}, 2, "not a size"},
        {{"raster", sample, "--size", "-5x10", "-o", png}, 2, "no pixels"},
        {{"raster", sample, "--size", "12", "-o", png}, 2, "not a size"},
        {{"raster", sample, "--size", "10x10", "-o", "/nonexistent-dir/r.png"}, 1, "cannot write"},
        {{"raster", sample, "--size", "10x10", "--contrast", "3", "-o", png}, 2, "--contrast"},
        // Defined results of the raster walk and grid, not errors.
        {{"raster", sample, "--size", "64x64", "--count", "0", "-o", png}, 0, ""},
        {{"raster", sample, "--size", "64x64", "--count", "-7", "-o", png}, 0, ""},
        {{"raster", sample, "--size", "64x64", "--offset", "99999999", "-o", png}, 0, ""},
        {{"raster", sample, "--size", "64x64", "--offset", "-5", "-o", png}, 0, ""},
        {{"raster", sample, "--size", "64x64", "--slant", "nan", "-o", png}, 2, "not a finite number"},
        {{"raster", sample, "--size", "64x64", "--slant", "inf", "-o", png}, 2, "not a finite number"},
        {{"raster", sample, "--size", "64x64", "--slant", "-inf", "-o", png}, 2, "not a finite number"},
        {{"raster", sample, "--size", "64x64", "--slant", "1e39", "-o", png}, 2, "not a finite number"},
        {{"raster", sample, "--size", "64x64", "--slant", "1e30", "-o", png}, 0, ""},
        {{"raster", sample, "--size", "64x64", "--slant", "-1e30", "-o", png}, 0, ""},
        {{"raster", sample, "--size", "64x64", "--grid-width", "0", "-o", png}, 0, ""},
        {{"raster", sample, "--size", "64x64", "--grid-width", "-24", "-o", png}, 0, ""},
        {{"raster", kData + "/zero-length.wav", "--size", "64x64", "-o", png}, 0, ""},
        {{"synth", "--text", "CQ?", "-o", wav}, 2, "no teleprinter code for '?'"},
        {{"synth", "--text", "RY", "--mark", "0", "-o", wav}, 2, "outside"},
        {{"synth", "--text", "RY", "--baud", "0", "-o", wav}, 2, "outside"},
        {{"synth", "--text", "RY", "--stop-bits", "3", "-o", wav}, 2, "--stop-bits"},
        {{"synth", "--text", "RY", "--snr", "nan", "-o", wav}, 2, "outside"},
        {{"synth", "--text", "RY", "-o", "/nonexistent-dir/x.wav"}, 1, "cannot write '/nonexistent-dir/x.wav'"},
        {{"synth", "--text", std::string(2000, 'R'), "--baud", "1", "-o", wav}, 2, "too long"},
        // Bad UTF-8 is refused as such, never sent as something else.
        {{"synth", "--text", "RY\xC1\x92", "-o", wav}, 2, "not valid UTF-8"},
        {{"synth", "--text", "A\xC0\x8A" "B", "-o", wav}, 2, "not valid UTF-8"},
        {{"synth", "--text", "A\xED\xA0\x80", "-o", wav}, 2, "not valid UTF-8"},
        // Numbers are taken as written or refused: never clamped, wrapped or read as 0.
        {{"synth", "--text", "RY", "--seed", "-1", "-o", wav}, 2, "outside"},
        {{"synth", "--text", "RY", "--seed", "18446744073709551616", "-o", wav}, 2, "outside"},
        {{"synth", "--text", "RY", "--seed", "1e23", "-o", wav}, 2, "not a whole number"},
        {{"synth", "--text", "RY", "--seed", "", "-o", wav}, 2, "not a whole number"},
        {{"synth", "--text", "RY", "--seed", "18446744073709551615", "-o", wav}, 0, ""},
        {{"synth", "--text", "RY", "--mark", "1e-50", "-o", wav}, 2, "1 Hz or more"},
        {{"bits", sample, "--count", ""}, 2, "not a whole number"},
        {{"bits", sample, "--count", "12.5"}, 2, "not a whole number"},
        {{"bits", sample, "--count", "2147483648"}, 2, "outside"},
        {{"bits", sample, "--offset", "-2147483649"}, 2, "outside"},
        {{"bits", sample, "--grid-width", "1e3"}, 2, "not a whole number"},
        {{"decode", sample, "--ignore", ""}, 2, "not a whole number"},
        {{"levels", sample, "--high", "1e-50"}, 2, "1 Hz or more"},
        {{"levels", sample, "--low", ""}, 2, "not a number"},
        {{"spectrum", sample, "--block", "9223372036854775808"}, 2, "outside"},
        {{"spectrum", sample, "--block", ""}, 2, "not a whole number"},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const auto& a : c.args) shown += (a.size() > 40 ? a.substr(0, 40) + "..." : a) + " ";
        const Result r = RunCli(c.args, c.stdinPath);
        EXPECT_EQ(r.status, c.status) << shown << "\n" << r.err;
        if (c.message.empty()) EXPECT_EQ(r.err, "") << shown;
        else EXPECT_NE(r.err.find(c.message), std::string::npos) << shown << "\n" << r.err;
    }
    std::filesystem::remove(png);
    std::filesystem::remove(wav);
}

TEST_F(CliCommand, EveryCommandHasHelp) {
    for (const char* command : {"levels", "spectrum", "raster", "synth"}) {
        const Result r = RunCli({command, "--help"});
        EXPECT_EQ(r.status, 0) << command;
        EXPECT_NE(r.out.find("Usage:"), std::string::npos) << command;
    }
}

TEST_F(CliCommand, NoiseFollowsTheSeed) {
    const std::string a = Temp("a.wav"), b = Temp("b.wav"), c = Temp("c.wav");
    ASSERT_EQ(RunCli({"synth", "--text", "RY", "--snr", "5", "--seed", "3", "-o", a}).status, 0);
    ASSERT_EQ(RunCli({"synth", "--text", "RY", "--snr", "5", "--seed", "3", "-o", b}).status, 0);
    ASSERT_EQ(RunCli({"synth", "--text", "RY", "--snr", "5", "--seed", "4", "-o", c}).status, 0);
    EXPECT_EQ(Slurp(a), Slurp(b));
    EXPECT_NE(Slurp(a), Slurp(c));
    for (const auto& p : {a, b, c}) std::filesystem::remove(p);
}

// The PNG holds the raster image pixel for pixel, as the window would paint it.
TEST_F(CliCommand, RasterPngMatchesTheRasterImage) {
    const std::string png = Temp("pixels.png");
    const Result r = RunCli({"raster", sample, "--size", "203x97", "--count", "90", "--offset", "290", "--slant", "0.5",
                             "--grid-shift", "-5", "--contrast", "1", "-o", png});
    ASSERT_EQ(r.status, 0) << r.err;

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, png.c_str())) << image.message;
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) << image.message;

    morvane::RecordingReader reader(sample);
    const auto levels = morvane::RecordingLevels(reader, {});
    morvane::RasterParams params;
    params.count = 90;
    params.offset = 290;
    params.slant = 0.5f;
    params.gridShift = -5;
    params.contrastMode = 1;
    const morvane::RgbImage expected = morvane::RenderRaster(levels, params, 203, 97);
    EXPECT_EQ(image.width, 203u);
    EXPECT_EQ(image.height, 97u);
    EXPECT_EQ(pixels, expected.rgb);
    std::filesystem::remove(png);
}

// Every output file is replaced only when complete: a failing command leaves
// the earlier file byte for byte, a successful one replaces it, and neither
// leaves a temporary behind.
TEST_F(CliCommand, OutputFilesAreReplacedOnlyWhenComplete) {
    namespace fs = std::filesystem;
    const fs::path dir = Temp("outputs");
    fs::create_directories(dir);
    const std::string target = (dir / "out").string();
    const std::string missing = kData + "/missing.wav";
    struct Case {
        std::vector<std::string> failing;
        std::vector<std::string> working;
    };
    const Case cases[] = {
        {{"levels", missing, "-o", target}, {"levels", sample, "-o", target}},
        {{"levels", kData + "/corrupt.flac", "-o", target}, {"levels", "-", "-o", target}},
        {{"bits", missing, "-o", target}, {"bits", sample, "-o", target}},
        {{"decode", missing, "-o", target}, {"decode", sample, "-o", target}},
        {{"spectrum", sample, "--block", "99", "-o", target}, {"spectrum", sample, "-o", target}},
        {{"raster", sample, "--size", "1000001x1", "-o", target}, {"raster", sample, "--size", "1000000x1", "-o", target}},
        {{"raster", sample, "--size", "1x1000001", "-o", target}, {"raster", sample, "--size", "8x8", "-o", target}},
        {{"synth", "--text", "CQ?", "-o", target}, {"synth", "--text", "CQ", "-o", target}},
        {{"report", missing, "-o", target}, {"report", sample, "--count", "12", "-o", target}},
    };
    const auto strays = [&] {
        int n = 0;
        for (const auto& entry : fs::directory_iterator(dir)) n += entry.path() != fs::path(target);
        return n;
    };
    for (const Case& c : cases) {
        { std::ofstream(target, std::ios::binary) << "earlier"; }
        const Result failed = RunCli(c.failing);
        EXPECT_NE(failed.status, 0) << c.failing[0] << " " << c.failing[1];
        EXPECT_EQ(Slurp(target), "earlier") << c.failing[0] << "\n" << failed.err;
        EXPECT_EQ(strays(), 0) << c.failing[0];
        const Result worked = RunCli(c.working);
        EXPECT_EQ(worked.status, 0) << c.working[0] << "\n" << worked.err;
        EXPECT_NE(Slurp(target), "earlier") << c.working[0];
        EXPECT_EQ(strays(), 0) << c.working[0];
    }
    fs::remove_all(dir);
}

// A run killed while it writes leaves the earlier file and no temporary.
TEST_F(CliCommand, KilledRunLeavesNoTemporary) {
    namespace fs = std::filesystem;
    const fs::path dir = Temp("killed");
    fs::create_directories(dir);
    const std::string target = (dir / "levels.txt").string(), fifo = (dir / "in.fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (int signal : {SIGTERM, SIGINT}) {
        { std::ofstream(target, std::ios::binary) << "earlier"; }
        const pid_t child = fork();
        if (child == 0) {
            std::signal(SIGINT, SIG_DFL);  // as in a terminal
            const int sound = open(fifo.c_str(), O_RDONLY);
            if (sound < 0 || dup2(sound, 0) < 0) _exit(126);
            execl(MORVANE_CLI_BINARY, MORVANE_CLI_BINARY, "levels", "-", "-o", target.c_str(), nullptr);
            _exit(127);
        }
        ASSERT_GT(child, 0);
        // Sound arrives but never ends: the levels are being written.
        const int in = open(fifo.c_str(), O_WRONLY);
        ASSERT_GE(in, 0);
        const std::vector<char> silence(65536 * 2, 0);
        ASSERT_EQ(write(in, silence.data(), silence.size()), static_cast<ssize_t>(silence.size()));
        int temporaries = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (temporaries == 0 && std::chrono::steady_clock::now() < deadline) {
            for (const auto& entry : fs::directory_iterator(dir))
                temporaries += entry.path().filename().string().rfind(".morvane-", 0) == 0;
            if (temporaries == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(temporaries, 1) << "the temporary exists while writing";
        kill(child, signal);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        close(in);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(Slurp(target), "earlier");
        int left = 0;
        for (const auto& entry : fs::directory_iterator(dir)) left += entry.path() != fs::path(target) && entry.path() != fs::path(fifo);
        EXPECT_EQ(left, 0) << "signal " << signal;
    }
    fs::remove_all(dir);
}

// `levels -` into a pipe prints each block's levels as soon as the block has
// come, while standard input is still open (arecord ... | morvane-cli levels -).
TEST_F(CliCommand, LevelsReachAPipeBlockByBlock) {
    int in[2], out[2];
    ASSERT_EQ(pipe(in), 0);
    ASSERT_EQ(pipe(out), 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        close(in[1]);
        close(out[0]);
        execl(MORVANE_CLI_BINARY, MORVANE_CLI_BINARY, "levels", "-", nullptr);
        _exit(127);
    }
    ASSERT_GT(child, 0);
    close(in[0]);
    close(out[1]);
    // One whole block of 65 536 bytes (0.68 s) gives about 400 levels.
    const std::vector<char> block(65536, 0);
    ASSERT_EQ(write(in[1], block.data(), block.size()), static_cast<ssize_t>(block.size()));
    std::string got;
    char buffer[4096];
    while (std::count(got.begin(), got.end(), '\n') < 400) {
        pollfd ready{out[0], POLLIN, 0};
        // A deadline far beyond need; without the flush they would never come.
        ASSERT_EQ(poll(&ready, 1, 60000), 1) << "the levels of the first block did not come while input was open";
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        ASSERT_GT(n, 0) << "the levels of the first block never came";
        got.append(buffer, static_cast<std::size_t>(n));
    }
    EXPECT_EQ(got.substr(0, 4), "128\n");
    close(in[1]);  // end of input: the rest, and a clean end
    while (read(out[0], buffer, sizeof buffer) > 0) {
    }
    close(out[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
