// morvane-cli bits, decode and report, run as a user runs them, against the
// core functions they wrap: the same recording must give the same bits, text
// and page as the program's own extraction, decoding and report.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <sstream>

#include "align/TimeTrueRaster.h"
#include "recording/RecordingPipeline.h"
#include "recording/RecordingWriter.h"
#include "recording/RecordingReader.h"
#include "decode/BaudotDecoder.h"
#include "raster/BitExtraction.h"
#include "raster/SoftBitExtraction.h"
#include "decode/BitTransforms.h"
#include "report/VariationsReport.h"
#include "support/DecodeRoundTripSupport.h"

#include "support/CliRunSupport.h"

namespace fs = std::filesystem;
using namespace morvane;

namespace {

const std::string kText = "CQ CQ DE MORVANE 599 -/.,:()\nTHE QUICK BROWN FOX\n";

using clitest::Quote;
using clitest::Result;
using clitest::Slurp;

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
        return clitest::Run(MORVANE_CLI_BINARY, args, s_dir, "/dev/null", env);
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

// Edits (insertions, deletions, substitutions) that turn `a` into `b`.
std::size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t next = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = row[j];
            row[j] = next;
        }
    }
    return row[b.size()];
}

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
    // The opener runs on its own; wait for what it leaves, however busy the machine.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(opened) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
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

TEST_F(DecodeCommands, AlignFindsTheFramesAndPrintsTheOptionsThatReadThem) {
    const Recording rec = Synth("align75.wav", {"--baud", "75", "--stop-bits", "1", "--mark", "2125", "--space", "2295"});
    const Result a = Run({"align", rec.path});
    ASSERT_EQ(a.status, 0) << a.err;
    EXPECT_NE(a.out.find("baud: 75.0"), std::string::npos) << a.out;
    EXPECT_NE(a.out.find("stop bits: 1\n"), std::string::npos) << a.out;
    EXPECT_NE(a.out.find("polarity: mark is the low tone (tone 1)"), std::string::npos) << a.out;
    const std::size_t at = a.out.find("options: ");
    ASSERT_NE(at, std::string::npos) << a.out;
    // The option line, handed to decode, reads the text (the recording's last,
    // cut-off row may add a character of idle mark behind it).
    std::vector<std::string> args = {"decode", rec.path};
    std::istringstream words(a.out.substr(at + 9));
    for (std::string w; words >> w;) args.push_back(w);
    const Result d = Run(args);
    ASSERT_EQ(d.status, 0) << d.err;
    EXPECT_EQ(d.out.rfind(CrLf(kText), 0), 0u) << d.out;

    // decode --auto gives the text exactly, the tones found as align found them.
    const Result automatic = Run({"decode", rec.path, "--auto", "--reader", "levels"});
    ASSERT_EQ(automatic.status, 0) << automatic.err;
    EXPECT_EQ(automatic.out, CrLf(kText) + "\r\n");
    EXPECT_NE(automatic.err.find("aligned: 75.0"), std::string::npos) << automatic.err;
    // Options given win: the tones swapped make mark the high tone, which
    // --auto then reads with inverted bits; --ignore 0 reads the stop cell as code.
    const Result swapped = Run({"decode", rec.path, "--auto", "--reader", "levels", "--low", "2295", "--high", "2125"});
    EXPECT_EQ(swapped.out, CrLf(kText) + "\r\n") << swapped.err;
    const Result ignored = Run({"decode", rec.path, "--auto", "--reader", "levels", "--ignore", "0"});
    EXPECT_EQ(ignored.status, 0);
    EXPECT_NE(ignored.out, CrLf(kText) + "\r\n");
}

TEST_F(DecodeCommands, AlignNamesTheCodeAndDecodeAutoUsesIt) {
    // Baudot: the code is named, and the option line needs no --code.
    const Recording baudot = Synth("align-baudot.wav");
    const Result b = Run({"align", baudot.path});
    ASSERT_EQ(b.status, 0) << b.err;
    EXPECT_NE(b.out.find("\ncode: baudot (7.5-bit frames: 5 data bits; Baudot"), std::string::npos) << b.out;
    EXPECT_EQ(b.out.find("--code"), std::string::npos) << b.out;

    // ASCII 7 bits with even parity at 110 baud: named with the reason, on
    // the option line, and decode --auto reads the text with it (frame path
    // and soft path); LF stays LF in ASCII.
    const Recording ascii = Synth("align-ascii.wav", {"--code", "ascii7", "--parity", "even", "--baud", "110",
                                                      "--stop-bits", "1"});
    const Result a = Run({"align", ascii.path});
    ASSERT_EQ(a.status, 0) << a.err;
    EXPECT_NE(a.out.find("\ncode: ascii7, even parity (10-bit frames; the 8th bit after the start bit is even "
                         "parity in 100 % of frames)\n"),
              std::string::npos)
        << a.out;
    EXPECT_NE(a.out.find(" --code ascii7 --parity even\n"), std::string::npos) << a.out;
    // The receiver names the code its own way and ends its lines with CR LF,
    // the level-stream reading names it as align does and keeps LF.
    const struct {
        std::vector<std::string> words;
        const char* named;
        std::string text;
    } readings[] = {
        {{}, "ASCII 7-bit, even parity", CrLf(kText)},
        {{"--reader", "levels"}, "ascii7, even parity", kText},
        {{"--reader", "levels", "--soft"}, "ascii7, even parity", kText},
    };
    for (const auto& reading : readings) {
        std::vector<std::string> args = {"decode", ascii.path, "--auto"};
        args.insert(args.end(), reading.words.begin(), reading.words.end());
        const Result d = Run(args);
        ASSERT_EQ(d.status, 0) << d.err;
        EXPECT_EQ(d.out, reading.text + "\r\n") << reading.named;
        EXPECT_NE(d.err.find(reading.named), std::string::npos) << d.err;
    }
    // A code given wins; a parity bit given alone goes with the code found,
    // and a parity bit cannot go with Baudot frames.
    const Result asBaudot = Run({"decode", ascii.path, "--auto", "--code", "baudot"});
    EXPECT_EQ(asBaudot.status, 0) << asBaudot.err;
    EXPECT_NE(asBaudot.out, CrLf(kText) + "\r\n");
    const Result oddParity = Run({"decode", ascii.path, "--auto", "--parity", "odd"});
    EXPECT_EQ(oddParity.status, 0) << oddParity.err;
    EXPECT_EQ(oddParity.out.find_first_not_of("?\r\n"), std::string::npos) << oddParity.out;
    EXPECT_EQ(Run({"decode", baudot.path, "--auto", "--parity", "even"}).status, 2);

    // The raster path: 7 data bits, 1 stop bit at 50 baud are 108 levels a
    // row; the option line's raster with the code found reads the text (the
    // last, cut-off row may add a character of idle mark behind it).
    const Recording raster = Synth("align-ascii50.wav", {"--code", "ascii7", "--stop-bits", "1"});
    const Result r = Run({"decode", raster.path, "--auto", "--reader", "levels", "--grid-width", "24"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind(kText, 0), 0u) << r.out;
    EXPECT_NE(r.err.find("--count 108 "), std::string::npos) << r.err;
}

TEST_F(DecodeCommands, AlignSaysWhenThereIsNothingToFind) {
    const fs::path silence = s_dir / "silence.wav";
    WriteWav16Mono(silence.string(), std::vector<std::int16_t>(48000 * 5, 0));
    // Without tones given the spectrum has none to offer.
    const Result searched = Run({"align", silence.string()});
    EXPECT_EQ(searched.status, 3);
    EXPECT_NE(searched.err.find("cannot find the tones"), std::string::npos) << searched.err;
    const Result given = Run({"align", silence.string(), "--low", "1500", "--high", "2000"});
    EXPECT_EQ(given.status, 3);
    EXPECT_NE(given.out.find("frames: no signal"), std::string::npos) << given.out;
    // Standard input is searched for the tones as a recording is: nothing
    // there holds none.
    const Result stdinAuto = Run({"decode", "-", "--auto", "--reader", "levels"});
    EXPECT_EQ(stdinAuto.status, 3) << stdinAuto.err;
    EXPECT_NE(stdinAuto.err.find("cannot find the tones"), std::string::npos) << stdinAuto.err;
    const Result decodeNothing = Run({"decode", silence.string(), "--auto", "--reader", "levels", "--low", "1500", "--high", "2000"});
    EXPECT_EQ(decodeNothing.status, 3);
    EXPECT_TRUE(decodeNothing.out.empty());
}

TEST_F(DecodeCommands, TimeTrueRasterIsTheCoreOne) {
    const Recording rec = Synth("timetrue.wav");
    RecordingReader reader(rec.path);
    LevelTimeline timeline;
    const std::vector<std::int32_t> levels = RecordingLevels(reader, DemodSettings{}, {.timeline = &timeline});
    RasterParams params = roundtrip::FrameRaster(rec.offset);
    params.slant = 0.25f;
    const std::string expected = ExtractBits(TimeTrueRows(levels, timeline, params), params);
    const Result b = Run(Args({"bits", rec.path, "--time-true", "--slant", "0.25"}, Raster(rec)));
    ASSERT_EQ(b.status, 0) << b.err;
    EXPECT_EQ(b.out, expected);
    // Off by default: the plain raster, as before.
    RasterParams plain = roundtrip::FrameRaster(rec.offset);
    plain.slant = 0.25f;
    EXPECT_EQ(Run(Args({"bits", rec.path, "--slant", "0.25"}, Raster(rec))).out, ExtractBits(levels, plain));
    EXPECT_NE(expected, ExtractBits(levels, plain));
}

TEST_F(DecodeCommands, AutoDecodesAnotherTransmittersRecording) {
    // Made with minimodem 0.24 (Debian): `printf 'CQ CQ ... 73' | minimodem --tx rtty -f F -R 8000`,
    // 45.45 baud, 1.5 stop bits, mark 1585 Hz above space 1415 Hz, at 8 kHz.
    const std::string path = std::string(MORVANE_TEST_DATA) + "/minimodem-rtty45-8k.wav";
    const Result d = Run({"decode", path, "--auto", "--reader", "levels"});
    ASSERT_EQ(d.status, 0) << d.err;
    EXPECT_EQ(d.out, "CQ CQ DE MORVANE RYRY THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 73\r\n");
    const Result a = Run({"align", path});
    EXPECT_NE(a.out.find("baud: 45.45"), std::string::npos) << a.out;
    EXPECT_NE(a.out.find("polarity: mark is the high tone (tone 2)"), std::string::npos) << a.out;
}

TEST_F(DecodeCommands, SoftReadsThroughNoiseAndMatchesTheCore) {
    // -6 dB in 3 kHz: the level reading loses most characters, the soft one
    // reads the text. bits --soft is the core's soft extraction of the same
    // recording; decode and report take --soft alike.
    const Recording rec = Synth("soft.wav", {"--snr", "-6", "--seed", "3"});
    RecordingReader reader(rec.path);
    std::vector<SoftWindow> soft;
    const std::vector<std::int32_t> levels = RecordingLevels(reader, DemodSettings{}, {.soft = &soft});
    ASSERT_EQ(levels, rec.levels);  // the soft stream leaves the levels as they were
    std::int32_t offset = 0;
    int best = -1;
    for (std::int32_t o = 0; o < 90; ++o) {
        const int framed = roundtrip::FramedRows(ExtractSoftBits(soft, roundtrip::FrameRaster(o)));
        if (framed > best) best = framed, offset = o;
    }
    const std::vector<std::string> raster = {"--count", "90", "--grid-width", "24", "--offset", std::to_string(offset)};
    const Result b = Run(Args({"bits", rec.path, "--soft"}, raster));
    ASSERT_EQ(b.status, 0) << b.err;
    EXPECT_EQ(b.out, ExtractSoftBits(soft, roundtrip::FrameRaster(offset)));
    EXPECT_EQ(b.out.find(' '), std::string::npos) << "every cell decided";

    const Result d = Run(Args({"decode", rec.path, "--soft", "--reverse-direction", "--ignore", "2"}, raster));
    ASSERT_EQ(d.status, 0) << d.err;
    EXPECT_NE(d.out.find("THE QUICK BROWN FOX"), std::string::npos) << d.out;
    const Result plain = Run(Args({"decode", rec.path, "--reverse-direction", "--ignore", "2"}, raster));
    EXPECT_EQ(plain.out.find("THE QUICK BROWN FOX"), std::string::npos) << plain.out;

    const fs::path page = s_dir / "soft.html";
    const Result r = Run(Args({"report", rec.path, "--soft", "-o", page.string()}, raster));
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(WriteVariationsReport(b.out, s_dir / "soft-core.html"), ReportOutcome::Written);
    EXPECT_EQ(Slurp(page), Slurp(s_dir / "soft-core.html"));

    // --soft-trim needs --soft and must leave a window of every cell.
    EXPECT_EQ(Run({"bits", rec.path, "--soft-trim", "1"}).status, 2);
    const Result trimmed = Run(Args({"bits", rec.path, "--soft", "--soft-trim", "5"}, raster));
    EXPECT_EQ(trimmed.status, 0) << trimmed.err;
    EXPECT_EQ(trimmed.out, ExtractSoftBits(soft, roundtrip::FrameRaster(offset), 5));
    const Result tooMuch = Run(Args({"bits", rec.path, "--soft", "--soft-trim", "6"}, raster));
    EXPECT_EQ(tooMuch.status, 2);
    EXPECT_NE(tooMuch.err.find("--soft-trim"), std::string::npos) << tooMuch.err;
    // An empty stream reads as nothing, soft or not.
    const Result empty = Run({"decode", "-", "--soft"});
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_EQ(empty.out, "\r\n");
}

TEST_F(DecodeCommands, AutoSoftFollowsAndReadsTheFramesThroughNoise) {
    // About 25 s at 50 baud: letters, figures and random groups.
    const std::string text = "CQ CQ DE MORVANE 599 -/.,:()\nTHE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 1234567890\n"
                             "PACK MY BOX WITH FIVE DOZEN LIQUOR JUGS\nXQZJV KWPLM RTYUI 73 BT SK\n";
    const std::string sent = CrLf(text);
    const auto cer = [&](const Result& r) {
        std::string out = r.out;
        if (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0) out.resize(out.size() - 2);
        return 100.0 * static_cast<double>(EditDistance(out, sent)) / static_cast<double>(sent.size());
    };
    const auto synth = [&](const std::string& name, const std::vector<std::string>& extra) {
        const std::string path = (s_dir / name).string();
        const Result r = Run(Args({"synth", "--text", text, "-o", path}, extra));
        EXPECT_EQ(r.status, 0) << r.err;
        return path;
    };

    // Clean: the soft reading gives the same exact text as the level reading.
    const std::string clean = synth("auto-soft-clean.wav", {});
    const Result cleanPlain = Run({"decode", clean, "--auto", "--reader", "levels"});
    const Result cleanSoft = Run({"decode", clean, "--auto", "--reader", "levels", "--soft"});
    ASSERT_EQ(cleanSoft.status, 0) << cleanSoft.err;
    EXPECT_EQ(cleanPlain.out, sent + "\r\n");
    EXPECT_EQ(cleanSoft.out, cleanPlain.out);

    // −6 dB in 3 kHz: single levels flip often, a bit's summed correlations
    // rarely do. The level reading loses or garbles many characters; the soft
    // one follows the frames and reads nearly all of them.
    for (const char* seed : {"2", "6"}) {
        const std::string noisy = synth(std::string("auto-soft-") + seed + ".wav", {"--snr", "-6", "--seed", seed});
        const Result plain = Run({"decode", noisy, "--auto", "--reader", "levels"});
        const Result soft = Run({"decode", noisy, "--auto", "--reader", "levels", "--soft"});
        ASSERT_EQ(plain.status, 0) << plain.err;
        ASSERT_EQ(soft.status, 0) << soft.err;
        EXPECT_LT(cer(soft), 2.5) << "seed " << seed << "\n" << soft.out;
        EXPECT_GT(cer(plain), 10.0) << "seed " << seed << "\n" << plain.out;

        // With raster options the raster's cells are read soft, as decode
        // --soft reads them with the same options given by hand.
        if (std::string(seed) != "2") continue;
        const std::vector<std::string> tones = {"--low", "1500", "--high", "2000", "--grid-width", "24"};
        const Result rasterAuto = Run(Args({"decode", noisy, "--auto", "--reader", "levels", "--soft", "--show-bits"}, tones));
        ASSERT_EQ(rasterAuto.status, 0) << rasterAuto.err;
        const std::size_t at = rasterAuto.err.find(": --low");
        ASSERT_NE(at, std::string::npos) << rasterAuto.err;
        std::vector<std::string> args = {"decode", noisy, "--soft", "--show-bits"};
        std::istringstream words(rasterAuto.err.substr(at + 2));
        for (std::string w; words >> w;) args.push_back(w);
        const Result byHand = Run(args);
        ASSERT_EQ(byHand.status, 0) << byHand.err;
        EXPECT_EQ(rasterAuto.out, byHand.out);
        const std::string bits = rasterAuto.out.substr(0, rasterAuto.out.find("\r\n\r\n"));
        EXPECT_EQ(bits.find(' '), std::string::npos) << "every cell decided";

        // Usage errors, before any work: no soft time-true raster yet, and
        // no cells to trim when the frames are read.
        const Result timeTrue = Run({"decode", noisy, "--auto", "--reader", "levels", "--soft", "--time-true", "--slant", "-0.04"});
        EXPECT_EQ(timeTrue.status, 2);
        EXPECT_NE(timeTrue.err.find("--time-true"), std::string::npos) << timeTrue.err;
        const Result trim = Run({"decode", noisy, "--auto", "--reader", "levels", "--soft", "--soft-trim", "1"});
        EXPECT_EQ(trim.status, 2);
        EXPECT_NE(trim.err.find("--soft-trim"), std::string::npos) << trim.err;
    }
}

namespace morvane {
namespace {

class ReceiverDecode : public ::testing::Test {
protected:
    static Result Run(const std::vector<std::string>& args) {
        static const fs::path dir = [] {
            const fs::path d = fs::temp_directory_path() / ("morvane-cli-receiver-" + std::to_string(::getpid()));
            fs::create_directories(d);
            return d;
        }();
        return clitest::Run(MORVANE_CLI_BINARY, args, dir, "/dev/null", "");
    }
    static std::string Synth(const std::string& name, const std::vector<std::string>& extra) {
        const std::string path = (fs::temp_directory_path() / ("morvane-rx-" + std::to_string(::getpid()) + name)).string();
        std::vector<std::string> args = {"synth", "--text", "CQ CQ DE MORVANE 40712 WJNYH RYRYRY END", "-o", path};
        args.insert(args.end(), extra.begin(), extra.end());
        EXPECT_EQ(Run(args).status, 0);
        return path;
    }
};

// decode --auto reads with the receiver by default: the header with the
// quality goes to standard error, letters after figures and a space come
// back as letters; --reader levels still reads the level stream.
TEST_F(ReceiverDecode, AutoReadsTheSamplesAndReportsTheQuality) {
    const std::string rec = Synth("a.wav", {"--snr", "3", "--mark", "2125", "--space", "2295", "--baud", "45.45"});
    const Result r = Run({"decode", rec, "--auto"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "CQ CQ DE MORVANE 40712 WJNYH RYRYRY END\r\n");
    EXPECT_NE(r.err.find("45.45 Bd \u00b7 212"), std::string::npos) << r.err;
    const std::string::size_type quality = r.err.find(" Hz \u00b7 Baudot \u00b7 quality ");
    ASSERT_NE(quality, std::string::npos) << r.err;
    EXPECT_GE(std::stod(r.err.substr(quality + std::string(" Hz \u00b7 Baudot \u00b7 quality ").size())), 0.9) << r.err;
    const Result figures = Run({"decode", rec, "--auto", "--no-unshift-on-space"});
    EXPECT_EQ(figures.out, "CQ CQ DE MORVANE 40712 WJNYH RYRYRY END\r\n") << "the sender put a letters shift in";
    const Result levels = Run({"decode", rec, "--auto", "--reader", "levels"});
    EXPECT_EQ(levels.status, 0);
    EXPECT_NE(levels.err.find("aligned:"), std::string::npos) << levels.err;
    const Result follow = Run({"decode", rec, "--auto", "--follow"});
    EXPECT_EQ(follow.out, r.out);
}

// Noise alone prints nothing and ends with status 3; a malformed squelch is a usage error.
TEST_F(ReceiverDecode, NoiseAlonePrintsNothing) {
    const std::string rec = Synth("n.wav", {"--snr", "-40", "--idle", "10"});
    const Result r = Run({"decode", rec, "--auto"});
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Run({"decode", rec, "--auto", "--squelch", "loud"}).status, 2);
    EXPECT_EQ(Run({"decode", rec, "--auto", "--reader", "bits"}).status, 2);
}

}  // namespace
}  // namespace morvane
