#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <string>

#include "AlignSupport.h"
#include "align/AlignPolicy.h"
#include "align/ShownRaster.h"
#include "align/TimeTrueRaster.h"
#include "raster/BitExtraction.h"
#include "raster/SoftBitExtraction.h"
#include "synth/RttySynth.h"

using namespace morvane;

namespace {

ToneEstimate Tones(double low, double high) {
    ToneEstimate t;
    t.found = true;
    t.lowHz = low;
    t.highHz = high;
    return t;
}

FrameAlignment Found() {
    FrameAlignment a;
    a.found = true;
    a.baud = 75.0149;
    a.model.stopBits = 1.5;
    a.model.polarity = -1;
    a.confidence = 0.987;
    a.raster.count = 56;
    a.raster.offset = 301;
    a.raster.slant = -0.03125f;
    a.raster.gridWidth = 16;
    return a;
}

FrameAlignment NotFound(const char* reason) {
    FrameAlignment a;
    a.reason = reason;
    return a;
}

}  // namespace

// Which tones Align puts in the fields, and what the status line says with
// and without frames.
TEST(AlignPolicy, TonesAndStatus) {
    struct Case {
        const char* name;
        std::int32_t low, high;
        ToneEstimate tones;
        FrameAlignment frames;
        bool setsTones;
        std::int32_t newLow, newHigh;
        std::string status;
    };
    const std::string found =
        "Aligned: 75.01 Bd, 1.5 stop bits, mark high, confidence 0.99, " + CodeSettingsName(CodeSettings{});
    const Case cases[] = {
        {"no tones, no frames", 1500, 2000, ToneEstimate{}, NotFound("no frames"), false, 0, 0, "Align: no frames"},
        {"tones within 20 Hz", 1500, 2000, Tones(1519.6, 1980.4), Found(), false, 0, 0, found},
        {"low 21 Hz off", 1500, 2000, Tones(1521.0, 2000.0), Found(), true, 1521, 2000,
         "Tones set to 1521 / 2000 Hz; " + found},
        {"high off, rounded", 1500, 2000, Tones(1500.2, 2125.5), NotFound("x"), true, 1500, 2126,
         "Tones set to 1500 / 2126 Hz: capture again, then Align"},
        {"extreme field values", -2147483647 - 1, 2147483647, Tones(1500, 2000), Found(), true, 1500, 2000,
         "Tones set to 1500 / 2000 Hz; " + found},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AlignOutcome o = DecideAlign(c.low, c.high, c.tones, c.frames);
        EXPECT_EQ(o.lowHz.has_value(), c.setsTones);
        EXPECT_EQ(o.highHz.has_value(), c.setsTones);
        if (c.setsTones) {
            EXPECT_EQ(*o.lowHz, c.newLow);
            EXPECT_EQ(*o.highHz, c.newHigh);
        }
        EXPECT_EQ(o.status, c.status);
        EXPECT_EQ(o.fields.has_value(), c.frames.found);
    }
}

// The status names what was measured.
TEST(AlignPolicy, StatusNamesTheSource) {
    const std::string found =
        "Aligned on rec.wav: 75.01 Bd, 1.5 stop bits, mark high, confidence 0.99, " + CodeSettingsName(CodeSettings{});
    EXPECT_EQ(DecideAlign(1500, 2000, Tones(1500, 2000), Found(), "rec.wav").status, found);
    EXPECT_EQ(DecideAlign(1500, 2000, Tones(2125, 2295), Found(), "rec.wav").status,
              "Tones set to 2125 / 2295 Hz from rec.wav; " + found);
    EXPECT_EQ(DecideAlign(1500, 2000, Tones(2125, 2295), NotFound("x"), "the capture").status,
              "Tones set to 2125 / 2295 Hz from the capture: capture again, then Align");
    EXPECT_EQ(DecideAlign(1500, 2000, ToneEstimate{}, NotFound("no frames"), "the capture").status,
              "Align on the capture: no frames");
}

// The raster fields as they are typed, in the C locale's notation whatever
// the process's locale; stop bits as %g prints them, mark low for polarity +1.
TEST(AlignPolicy, FieldsAndNumbers) {
    const char* before = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = before ? before : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // may be missing: the C locale shows the same
    FrameAlignment a = Found();
    const AlignOutcome o = DecideAlign(1500, 2000, ToneEstimate{}, a);
    ASSERT_TRUE(o.fields);
    EXPECT_EQ(o.fields->count, "56");
    EXPECT_EQ(o.fields->offset, "301");
    EXPECT_EQ(o.fields->slant, "-0.0312");
    EXPECT_EQ(o.fields->width, "16");
    a.model.stopBits = 1;
    a.model.polarity = 1;
    a.raster.slant = 0.0f;
    a.baud = 45.454;
    a.confidence = 1.0;
    const AlignOutcome one = DecideAlign(1500, 2000, ToneEstimate{}, a);
    EXPECT_EQ(one.status,
              "Aligned: 45.45 Bd, 1 stop bits, mark low, confidence 1.00, " + CodeSettingsName(a.code));
    EXPECT_EQ(one.fields->slant, "0.0000");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

// On a synthesised capture Align finds the frames; the shown raster's bits
// are those of the plain (or time-true) raster, with the soft reading only
// where the stream kept its energies.
TEST(AlignPolicy, StreamAlignsAndShownBitsFollowTheRaster) {
    RttySynthSettings synth;
    synth.idleSeconds = 0.5;
    LevelStream stream;
    stream.levels = roundtrip::LevelsThroughCapture(SynthesizeRtty("RYRY CQ DE MORVANE 73", synth), DemodSettings{},
                                                    {.soft = &stream.soft, .timeline = &stream.timeline});
    ASSERT_TRUE(stream.HasSoft());
    const AlignOutcome o = AlignStream(stream, 1500, 2000, ToneEstimate{});
    ASSERT_TRUE(o.fields) << o.status;
    EXPECT_EQ(o.status.rfind("Aligned: ", 0), 0u) << o.status;
    EXPECT_EQ(o.fields->count, "90");

    const RasterParams params = o.frames.raster;
    const ShownBits plain = ExtractShownBits(stream, params, false);
    EXPECT_EQ(plain.hard, ExtractBits(stream.levels, params));
    EXPECT_EQ(plain.soft, ExtractSoftBits(stream.soft, params));
    EXPECT_FALSE(plain.soft.empty());

    RasterParams timeTrueParams = params;
    const std::vector<std::int32_t> rows = TimeTrueRows(stream.levels, stream.timeline, timeTrueParams);
    const ShownBits timeTrue = ExtractShownBits(stream, params, true);
    EXPECT_EQ(timeTrue.hard, ExtractBits(rows, timeTrueParams));
    EXPECT_TRUE(timeTrue.soft.empty());
    RasterModel shown;
    EXPECT_FALSE(PrepareTimeTrue(stream, params, false, shown));
    EXPECT_TRUE(shown.levels.empty());
    ASSERT_TRUE(PrepareTimeTrue(stream, params, true, shown));
    EXPECT_EQ(shown.levels, rows);
    EXPECT_EQ(shown.params.offset, 0);

    stream.soft.clear();  // energies not kept
    EXPECT_TRUE(ExtractShownBits(stream, params, false).soft.empty());
}

// Deep in noise the soft reading frames more characters than the hard one
// (Align then has Bits extract read soft); on a clean signal it does not.
// Without frames or soft bits there is nothing to prefer.
TEST(AlignPolicy, SoftReadingChosenWhenItFramesMore) {
    const std::string text = "RYRY CQ CQ DE MORVANE THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 73";
    for (const double snr : {-6.0, 20.0}) {
        SCOPED_TRACE(snr);
        RttySynthSettings synth;
        synth.idleSeconds = 1.0;
        synth.snrDb = snr;
        synth.seed = 3;
        LevelStream stream;
        stream.levels = roundtrip::LevelsThroughCapture(SynthesizeRtty(text, synth), DemodSettings{},
                                                        {.soft = &stream.soft, .timeline = &stream.timeline});
        const AlignOutcome o = AlignStream(stream, 1500, 2000, ToneEstimate{});
        ASSERT_TRUE(o.fields) << o.status;
        const ShownBits bits = ExtractShownBits(stream, o.frames.raster, false);
        const std::int64_t hard = ReadableCharacters(bits.hard, o.frames);
        const std::int64_t soft = ReadableCharacters(bits.soft, o.frames);
        EXPECT_EQ(SoftReadsMore(bits, o.frames), snr < 0) << hard << " hard, " << soft << " soft";
        EXPECT_GE(soft, static_cast<std::int64_t>(text.size()) * 8 / 10);
        EXPECT_FALSE(SoftReadsMore(ShownBits{bits.hard, {}}, o.frames));
        FrameAlignment none = o.frames;
        none.found = false;
        EXPECT_FALSE(SoftReadsMore(bits, none));
    }
}
