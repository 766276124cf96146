// "Align" across readings: waiting for a reading's end, reading a recording
// again with the tones found, and choosing the soft or the hard reading, on
// levels of a synthesised transmission.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "AlignSupport.h"
#include "align/AlignSession.h"
#include "synth/RttySynth.h"

using namespace morvane;

namespace {

const std::string kText = "RYRY CQ CQ DE MORVANE THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 73";

// Levels of kText at 1500 / 2000 Hz and `snrDb`, kept per SNR.
const LevelStream& Stream(double snrDb) {
    static std::map<double, LevelStream> made;
    auto [it, fresh] = made.try_emplace(snrDb);
    if (fresh) {
        RttySynthSettings synth;
        synth.idleSeconds = 1.0;
        synth.snrDb = snrDb;
        synth.seed = 3;
        it->second.levels = roundtrip::LevelsThroughCapture(SynthesizeRtty(kText, synth), DemodSettings{},
                                                            {.soft = &it->second.soft, .timeline = &it->second.timeline});
    }
    return it->second;
}

// A window that measures a fixed stream and writes down what Align did to it.
// A recording read again is being read until the test ends the reading.
class Window : public AlignHost {
public:
    Window(double snrDb, std::int32_t low, std::int32_t high) : stream(Stream(snrDb)), lowHz(low), highHz(high) {}

    bool Reading() const override { return reading; }
    AlignOutcome Measure(const std::string& source) override {
        ++measured;
        ToneEstimate tones;
        tones.found = true;
        tones.lowHz = 1500.2;
        tones.highHz = 1999.7;
        return AlignStream(stream, lowHz, highHz, tones, source);
    }
    void SetTones(std::int32_t low, std::int32_t high) override {
        lowHz = low;
        highHz = high;
    }
    void ReadAgain(const std::string& path) override {
        readAgain.push_back(path);
        reading = canRead;
        if (session) session->RecordingOpened(path, name);
    }
    ShownBits ApplyFound(const AlignOutcome& found) override {
        applied = true;
        return found.fields ? ExtractShownBits(stream, found.frames.raster, false) : ShownBits{};
    }
    void ChooseSoft(bool on) override { soft = on ? 1 : 0; }
    void Notice(const std::string& text) override { notices.push_back(text); }

    const LevelStream& stream;
    std::int32_t lowHz, highHz;
    bool reading = false;
    bool canRead = true;
    std::string name = "rtty.wav";
    AlignSession* session = nullptr;
    int measured = 0;
    std::vector<std::string> readAgain;
    bool applied = false;
    int soft = -1;  // not chosen
    std::vector<std::string> notices;
};

bool StartsWith(const std::string& text, const std::string& head) { return text.rfind(head, 0) == 0; }
bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

// On a capture the tones found are set and the frames aligned at once; deep
// in noise Bits extract is set to read soft, on a clean signal hard.
TEST(AlignSession, CaptureAlignsAtOnceAndChoosesTheReadingThatFramesMore) {
    const struct {
        double snr;
        int soft;
        const char* tail;
    } cases[] = {{-6.0, 1, ", soft decision"}, {20.0, 0, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.snr);
        Window window(c.snr, 1000, 1400);
        AlignSession session(window);
        session.CaptureStarted();
        session.Ask();
        EXPECT_TRUE(window.readAgain.empty());
        EXPECT_EQ(window.lowHz, 1500);
        EXPECT_EQ(window.highHz, 2000);
        EXPECT_EQ(window.soft, c.soft);
        ASSERT_EQ(window.notices.size(), 1u);
        const std::string& status = window.notices[0];
        EXPECT_TRUE(StartsWith(status, "Tones set to 1500 / 2000 Hz from the capture; Aligned on the capture: ")) << status;
        EXPECT_EQ(EndsWith(status, ", soft decision"), c.soft == 1) << status;
        EXPECT_FALSE(session.Waiting());
    }
}

// A recording whose tones lie far from the fields is read again with its
// own; the frames are aligned on that reading, the tones said after them.
TEST(AlignSession, RecordingReadAgainWithItsTonesThenAligned) {
    Window window(20.0, 1000, 1400);
    AlignSession session(window);
    window.session = &session;
    session.RecordingOpened("/tmp/rtty.wav", "rtty.wav");
    session.Ask();
    ASSERT_EQ(window.readAgain, std::vector<std::string>{"/tmp/rtty.wav"});
    EXPECT_FALSE(window.applied);
    EXPECT_TRUE(session.Waiting());
    ASSERT_EQ(window.notices.size(), 1u);
    EXPECT_EQ(window.notices[0], "Tones set to 1500 / 2000 Hz from rtty.wav: reading it again");

    window.reading = false;
    session.ReadingFinished(false);
    EXPECT_EQ(window.readAgain.size(), 1u);  // the tones now agree: not read a third time
    ASSERT_EQ(window.notices.size(), 2u);
    const std::string& status = window.notices[1];
    EXPECT_TRUE(StartsWith(status, "Aligned on rtty.wav: ")) << status;
    EXPECT_TRUE(EndsWith(status, "; Tones set to 1500 / 2000 Hz from rtty.wav, read again")) << status;
    EXPECT_EQ(window.soft, 0);

    // A second Align finds nothing to change and reads nothing again.
    session.Ask();
    EXPECT_EQ(window.readAgain.size(), 1u);
    EXPECT_TRUE(StartsWith(window.notices.back(), "Aligned on rtty.wav: ")) << window.notices.back();
    EXPECT_EQ(window.notices.back().find("read again"), std::string::npos);
}

// Asked during a reading Align waits for its end; a reading stopped early
// drops it, and one that ends aligns without reading the recording again.
// A recording that cannot be read again is aligned at once with the tones set.
TEST(AlignSession, WaitsForTheReadingAndDropsItWhenStopped) {
    const struct {
        bool stopped;
        int measured;
    } cases[] = {{true, 0}, {false, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stopped);
        Window window(20.0, 1000, 1400);
        AlignSession session(window);
        session.RecordingOpened("/tmp/rtty.wav", "rtty.wav");
        window.reading = true;
        session.Ask();
        ASSERT_EQ(window.notices, std::vector<std::string>{"Align: once rtty.wav has been read"});
        EXPECT_TRUE(session.Waiting());
        window.reading = false;
        session.ReadingFinished(c.stopped);
        EXPECT_FALSE(session.Waiting());
        EXPECT_EQ(window.measured, c.measured);
        EXPECT_TRUE(window.readAgain.empty());
        session.ReadingFinished(false);  // nothing waits any more
        EXPECT_EQ(window.measured, c.measured);
    }

    Window window(20.0, 1000, 1400);
    window.canRead = false;
    AlignSession session(window);
    session.RecordingOpened("/tmp/rtty.wav", "rtty.wav");
    session.Ask();
    EXPECT_EQ(window.readAgain.size(), 1u);
    ASSERT_EQ(window.notices.size(), 1u);
    EXPECT_TRUE(StartsWith(window.notices[0], "Tones set to 1500 / 2000 Hz from rtty.wav; Aligned on rtty.wav: "))
        << window.notices[0];
    EXPECT_EQ(window.lowHz, 1500);
}

// What the stream was made from names the status: a reading that could not
// start leaves nothing named.
TEST(AlignSession, SourceNames) {
    Window window(20.0, 1500, 2000);
    AlignSession session(window);
    EXPECT_EQ(session.SourceName(), "the capture");
    session.RecordingOpened("/a/b.wav", "b.wav");
    EXPECT_EQ(session.SourceName(), "b.wav");
    session.RecordingOpened("", "c.wav");
    EXPECT_EQ(session.SourceName(), "the capture");
    session.RecordingOpened("/a/b.wav", "b.wav");
    session.CaptureStarted();
    EXPECT_EQ(session.SourceName(), "the capture");
}
