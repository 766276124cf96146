// morvane-cli bits, decode and report, run as a user runs them, against the
// core functions they wrap: the same recording must give the same bits, text
// and page as the program's own extraction, decoding and report.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "recording/RecordingPipeline.h"
#include "recording/RecordingReader.h"
#include "decode/BaudotDecoder.h"
#include "raster/BitExtraction.h"
#include "decode/BitTransforms.h"
#include "decode/VariationsReport.h"
#include "support/DecodeRoundTripSupport.h"

namespace fs = std::filesystem;
using namespace morvane;

namespace {

const std::string kText = "CQ CQ DE MORVANE 599 -/.,:()\nTHE QUICK BROWN FOX\n";

struct Result {
    int status = -1;
    std::string out, err;
};

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class DecodeCommands : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = fs::temp_directory_path() / ("morvane-cli-decode-" + std::to_string(::getpid()));
        fs::create_directories(s_dir);
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        fs::remove_all(s_dir, ignored);
    }

    static Result Run(const std::vector<std::string>& args, const std::string& env = "") {
        std::string command = env + " " + Quote(MORVANE_CLI_BINARY);
        for (const std::string& a : args) command += " " + Quote(a);
        const fs::path out = s_dir / "stdout", err = s_dir / "stderr";
        command += " < /dev/null > " + Quote(out) + " 2> " + Quote(err);
        const int raw = std::system(command.c_str());
        Result r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128;
        r.out = Slurp(out);
        r.err = Slurp(err);
        return r;
    }

    /// A synthesised recording, its levels as the program computes them, and
    /// the offset that puts one frame in every raster row.
    struct Recording {
        std::string path;
        std::vector<std::int32_t> levels;
        std::int32_t offset;
    };
    static Recording Synth(const std::string& name, const std::vector<std::string>& extra = {}) {
        Recording r;
        r.path = (s_dir / name).string();
        std::vector<std::string> args = {"synth", "--text", kText, "-o", r.path};
        args.insert(args.end(), extra.begin(), extra.end());
        const Result synth = Run(args);
        EXPECT_EQ(synth.status, 0) << synth.err;
        RecordingReader reader(r.path);
        r.levels = RecordingLevels(reader, DemodSettings{});
        r.offset = roundtrip::FindFrameOffset(r.levels);
        return r;
    }
    static std::vector<std::string> Raster(const Recording& r) {
        return {"--count", "90", "--grid-width", "24", "--offset", std::to_string(r.offset)};
    }
    static std::vector<std::string> Args(std::vector<std::string> head, const std::vector<std::string>& tail) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    }

    static fs::path s_dir;
};

fs::path DecodeCommands::s_dir;

std::string CrLf(std::string text) {
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2) text.insert(at, "\r");
    return text;
}

}  // namespace

TEST_F(DecodeCommands, BitsAndDecodeMatchTheCoreAndGiveTheText) {
    for (const auto& [name, extra] : std::vector<std::pair<std::string, std::vector<std::string>>>{
             {"clean.wav", {}}, {"noisy.wav", {"--snr", "10", "--seed", "4"}}}) {
        const Recording rec = Synth(name, extra);
        const std::string bits = ExtractBits(rec.levels, roundtrip::FrameRaster(rec.offset));

        const Result b = Run(Args({"bits", rec.path}, Raster(rec)));
        ASSERT_EQ(b.status, 0) << b.err;
        EXPECT_EQ(b.out, bits) << name;

        const struct {
            bool reverseBits, reverseDirection;
            std::int32_t ignore;
        } options[] = {{false, true, 2}, {true, false, 1}, {true, true, 0}, {false, false, -3}, {false, true, 1000}};
        for (const auto& o : options) {
            std::vector<std::string> args = Args({"decode", rec.path, "--ignore", std::to_string(o.ignore)}, Raster(rec));
            if (o.reverseBits) args.push_back("--reverse-bits");
            if (o.reverseDirection) args.push_back("--reverse-direction");
            const std::string working = PrepareBits(bits, o.reverseBits, o.reverseDirection, o.ignore);
            std::string text;
            DecodeBaudot(working, o.ignore, text);
            const Result d = Run(args);
            ASSERT_EQ(d.status, 0) << d.err;
            EXPECT_EQ(d.out, text + "\r\n") << name << " ignore " << o.ignore;
            args.push_back("--show-bits");
            EXPECT_EQ(Run(args).out, working + "\r\n" + text + "\r\n") << name << " ignore " << o.ignore;
        }

        // The frames read backwards without their 1.5 stop bits are the text;
        // the recording may end inside a row, which then reads as "?".
        const Result d = Run(Args({"decode", rec.path, "--reverse-direction", "--ignore", "2"}, Raster(rec)));
        ASSERT_EQ(d.out.rfind(CrLf(kText), 0), 0u) << name << "\n" << d.out;
        const std::string rest = d.out.substr(CrLf(kText).size());
        EXPECT_TRUE(rest == "\r\n" || rest == "?\r\n") << name << ": " << rest;
    }
}

TEST_F(DecodeCommands, ReportIsTheCorePageWithTheTextInItsCell) {
    const Recording rec = Synth("report.wav");
    const fs::path page = s_dir / "page.html", expected = s_dir / "expected.html";
    const Result r = Run(Args({"report", rec.path, "-o", page.string()}, Raster(rec)));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, page.string() + "\n");
    ASSERT_EQ(WriteVariationsReport(ExtractBits(rec.levels, roundtrip::FrameRaster(rec.offset)), expected),
              ReportOutcome::Written);
    const std::string bytes = Slurp(page);
    EXPECT_EQ(bytes, Slurp(expected));
    ASSERT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    std::string ascii;
    for (std::size_t i = 2; i < bytes.size(); i += 2) ascii += bytes[i];
    EXPECT_NE(ascii.find("<B>2 bits ignored, direction reverse, no bit reverse</B><BR/><pre>" + CrLf(kText)),
              std::string::npos);
}

TEST_F(DecodeCommands, ReportFailuresLeaveTheEarlierReport) {
    const Recording rec = Synth("fail.wav");
    const fs::path page = s_dir / "readonly.html";
    std::ofstream(page) << "earlier";
    fs::permissions(page, fs::perms::owner_read);
    const Result r = Run(Args({"report", rec.path, "-o", page.string()}, Raster(rec)));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Cannot create output file"), std::string::npos) << r.err;
    EXPECT_EQ(Slurp(page), "earlier");

    const fs::path none = s_dir / "none.html";
    const Result empty = Run({"report", rec.path, "--offset", "100000000", "-o", none.string()});
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.err.find("no bits"), std::string::npos) << empty.err;
    EXPECT_FALSE(fs::exists(none));
}

TEST_F(DecodeCommands, ReportGoesBesideTheProgramAndOpensWithoutWaiting) {
    const Recording rec = Synth("open.wav");
    // A stand-in for the desktop's opener that notes what it was asked to open.
    const fs::path bin = s_dir / "bin", opened = s_dir / "opened";
    fs::create_directories(bin);
    std::ofstream(bin / "xdg-open") << "#!/bin/sh\nprintf '%s|' \"$@\" > " << Quote(opened.string()) << ".part && mv "
                                    << Quote(opened.string()) << ".part " << Quote(opened.string()) << "\n";
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    const Result r = Run(Args({"report", rec.path, "--open"}, Raster(rec)), "PATH=" + Quote(bin.string()) + ":\"$PATH\"");
    ASSERT_EQ(r.status, 0) << r.err;
    const fs::path beside = fs::path(MORVANE_CLI_BINARY).parent_path() / "results.html";
    EXPECT_EQ(r.out, beside.string() + "\n");
    EXPECT_EQ(Slurp(beside).substr(0, 4), std::string("\xFF\xFE<\0", 4));
    for (int i = 0; i < 100 && !fs::exists(opened); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(Slurp(opened), beside.string() + "|");
}

TEST_F(DecodeCommands, OddInputGivesDefinedResults) {
    const Recording rec = Synth("odd.wav");
    // No cell of at least one level: no bits, and the user is told why.
    const Result narrow = Run({"bits", rec.path, "--grid-width", "1"});
    EXPECT_EQ(narrow.status, 0);
    EXPECT_EQ(narrow.out, "");
    EXPECT_NE(narrow.err.find("grid width 1"), std::string::npos) << narrow.err;
    // A count of 0 never ends a row: one line.
    const Result one = Run({"bits", rec.path, "--count", "0"});
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(one.out.find("\r\n"), one.out.size() - 2);
    // An empty stream.
    const Result empty = Run({"decode", "-"});
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_EQ(empty.out, "\r\n");
    // A missing recording is an error, not an empty result.
    const Result missing = Run({"decode", (s_dir / "missing.wav").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot read"), std::string::npos) << missing.err;
}
