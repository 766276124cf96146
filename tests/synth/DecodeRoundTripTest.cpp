#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "support/DecodeRoundTripSupport.h"
#include "decode/BaudotDecoder.h"
#include "decode/BitTransforms.h"
#include "report/VariationsReport.h"
#include "synth/RttySynth.h"

using namespace morvane;
using namespace morvane::roundtrip;

namespace {

const std::string kText = "RYRY THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789\nCQ DE MORVANE -/.,:() 73\n";

std::string CrLf(std::string text) {
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2) text.insert(at, "\r");
    return text;
}

struct Trip {
    std::int32_t offset;
    std::string bits;     // as extracted
    std::string decoded;  // reversed rows, 2 bits ignored
};

Trip RoundTrip(std::optional<double> snrDb) {
    RttySynthSettings synth;  // mark 1500 Hz = tone 1 = bit '1', space 2000 Hz, 50 baud, 1.5 stop bits
    synth.snrDb = snrDb;
    const std::vector<std::int32_t> levels = LevelsThroughCapture(SynthesizeRtty(kText, synth), DemodSettings{});
    Trip trip;
    trip.offset = FindFrameOffset(levels);
    trip.bits = ExtractBits(levels, FrameRaster(trip.offset));
    // Reversed rows start with the 1.5 stop bits: two cells to skip.
    const std::string working = PrepareBits(WithoutPartialLastRow(trip.bits), false, true, 2);
    DecodeBaudot(working, 2, trip.decoded);
    return trip;
}

}  // namespace

TEST(DecodeRoundTrip, SynthesisedTextComesBack) {
    const struct {
        const char* name;
        std::optional<double> snrDb;
    } cases[] = {{"clean", std::nullopt}, {"10 dB in 3 kHz", 10.0}};
    for (const auto& c : cases) {
        const Trip trip = RoundTrip(c.snrDb);
        EXPECT_EQ(trip.decoded, CrLf(kText)) << c.name << ", offset " << trip.offset << "\n" << trip.bits;
    }
}

TEST(DecodeRoundTrip, ReportHoldsTheTextInItsCell) {
    const Trip trip = RoundTrip(std::nullopt);
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("morvane-roundtrip-" + std::to_string(std::random_device()()) + ".html");
    ASSERT_EQ(WriteVariationsReport(WithoutPartialLastRow(trip.bits), path), ReportOutcome::Written);
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    std::filesystem::remove(path);
    std::string page;
    for (std::size_t i = 0; i < bytes.size(); i += 2) page += bytes[i];
    const std::string cell =
        "<B>2 bits ignored, direction reverse, no bit reverse</B><BR/><pre>" + CrLf(kText) + "</pre>";
    EXPECT_NE(page.find(cell), std::string::npos);
    // No other variant reads as the text.
    const std::string text = "<pre>" + CrLf(kText) + "</pre>";
    EXPECT_EQ(page.find(text), page.rfind(text));
}
