// SITOR-B read as it comes: the reader, the stream and the text follower
// against the whole-recording reading they must match piece for piece.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "channel/HfChannel.h"
#include "sitor/SitorDecoder.h"
#include "sitor/SitorDemodulator.h"
#include "sitor/SitorReader.h"
#include "sitor/SitorStream.h"
#include "sitor/SitorSynth.h"
#include "sitor/SitorTextFollower.h"
#include "SitorTestSignals.h"
#include "synth/RttySynth.h"

namespace morvane::sitor {
namespace {

const std::string kText = "ZCZC EA01\r\nGALE WARNING SEA AREA 12 WINDS 8 TO 9.\r\nNNNN\r\n\n";

std::vector<std::int16_t> Silence(double seconds) { return std::vector<std::int16_t>(static_cast<std::size_t>(seconds * 48000)); }

// Two emissions with a pause between them (a gap the reading must see).
std::vector<std::int16_t> TwoEmissions(std::optional<double> snr, std::uint64_t seed) {
    SitorSynthSettings s;
    s.snrDb = snr;
    s.seed = seed;
    std::vector<std::int16_t> out = SynthesizeSitorB(kText, s);
    const std::vector<std::int16_t> pause = Silence(8.0);
    out.insert(out.end(), pause.begin(), pause.end());
    s.seed = seed + 100;
    const std::vector<std::int16_t> second = SynthesizeSitorB("ZCZC EE02\r\nFORECAST FAIR\r\nNNNN\r\n\n", s);
    out.insert(out.end(), second.begin(), second.end());
    return out;
}

std::vector<float> BitsOf(const std::vector<std::int16_t>& samples) {
    SitorDemodulator demod(1615.0, 1785.0);
    demod.Push(samples.data(), samples.size());
    demod.Finish();
    return demod.Bits();
}

struct Recording {
    const char* name;
    std::vector<std::int16_t> samples;
};

std::vector<Recording> Recordings() {
    ChannelSettings ch;
    ch.profile = PresetProfile("poor");
    ch.snrDb = 3.0;
    ch.seed = 7;
    SitorSynthSettings noise;
    noise.snrDb = -40.0;
    const RttySynthSettings b = sitortest::BaudotOnSitorTones();
    return {
        {"clean, two emissions", TwoEmissions(std::nullopt, 1)},
        {"0 dB", TwoEmissions(0.0, 2)},
        {"poor channel", ApplyChannel(TwoEmissions(std::nullopt, 3), ch)},
        {"noise", SynthesizeSitorB(kText, noise)},
        {"100-baud Baudot", SynthesizeRtty("RYRY THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789", b)},
    };
}

bool Same(const ReadCharacter& a, const ReadCharacter& b) {
    return a.word == b.word && a.fromRx == b.fromRx && a.bit == b.bit && a.afterGap == b.afterGap;
}

TEST(SitorStreamReading, TheReaderGivesWhatTheWholeReadingGivesInAnyPieces) {
    for (const Recording& r : Recordings()) {
        const std::vector<float> bits = BitsOf(r.samples);
        const SitorReading whole = ReadSitorB(bits, CopyChoice::Margin);
        for (std::size_t piece : {std::size_t{1}, std::size_t{97}, std::size_t{1000}, bits.size() + 1}) {
            SitorReader reader;
            std::vector<ReadCharacter> got;
            for (std::size_t at = 0; at < bits.size(); at += piece)
                reader.Add(bits.data() + at, std::min(piece, bits.size() - at), got);
            reader.Finish(got);
            ASSERT_EQ(got.size(), whole.characters.size()) << r.name << ", pieces of " << piece;
            for (std::size_t i = 0; i < got.size(); ++i)
                EXPECT_TRUE(Same(got[i], whole.characters[i])) << r.name << ", pieces of " << piece << ", character " << i;
            EXPECT_EQ(reader.Blocks(), whole.blocks) << r.name;
            EXPECT_EQ(reader.LockedBlocks(), whole.lockedBlocks) << r.name;
            EXPECT_EQ(reader.Strongest().valid, whole.strongest.valid) << r.name;
        }
    }
}

TEST(SitorStreamReading, CharactersComeBeforeTheEndAndMemoryStaysBounded) {
    // Twenty messages back to back (about four minutes).
    std::string text;
    for (int i = 0; i < 20; ++i) text += "ZCZC EA" + std::to_string(10 + i) + "\r\nGALE WARNING SEA AREA 12\r\nNNNN\r\n\n";
    SitorSynthSettings s;
    s.snrDb = 10.0;
    const std::vector<float> bits = BitsOf(SynthesizeSitorB(text, s));
    SitorReader reader;
    std::vector<ReadCharacter> got;
    std::size_t lagMax = 0;
    for (std::size_t at = 0; at < bits.size(); at += 100) {
        reader.Add(bits.data() + at, std::min<std::size_t>(100, bits.size() - at), got);
        if (!got.empty() && at > 2000) lagMax = std::max<std::size_t>(lagMax, at - static_cast<std::size_t>(got.back().bit));
        // What it keeps: a few stretches, whatever has gone before.
        EXPECT_LE(reader.BitsSeen() - reader.Reach(), 3 * kSyncWindowBits);
    }
    EXPECT_LT(lagMax, 1000u);  // each character out within 10 s of its bits
    reader.Finish(got);
    EXPECT_EQ(SitorText(got), SitorText(ReadSitorB(bits, CopyChoice::Margin).characters));
}

std::vector<StreamCharacter> StreamOf(const std::vector<std::int16_t>& samples, SitorStreamOptions o, std::size_t piece) {
    SitorStream stream(o);
    std::vector<StreamCharacter> out;
    for (std::size_t at = 0; at < samples.size(); at += piece) {
        stream.Push(samples.data() + at, std::min(piece, samples.size() - at));
        for (const StreamCharacter& c : stream.Take()) out.push_back(c);
    }
    stream.Finish();
    for (const StreamCharacter& c : stream.Take()) out.push_back(c);
    return out;
}

TEST(SitorStreamReading, TheStreamFindsItsTonesAndReadsAsTheWholeReading) {
    const std::vector<std::int16_t> samples = TwoEmissions(6.0, 4);
    SitorStreamOptions given;
    given.lowHz = 1615.0;
    given.highHz = 1785.0;
    SitorDemodulator demod(1615.0, 1785.0);
    demod.Push(samples.data(), samples.size());
    demod.Finish();
    const SitorReading whole = ReadSitorB(demod.Bits(), CopyChoice::Margin);
    const std::vector<StreamCharacter> got = StreamOf(samples, given, 4801);
    ASSERT_EQ(got.size(), whole.characters.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].word, whole.characters[i].word) << i;
        EXPECT_EQ(got[i].sample, demod.BitSamples()[static_cast<std::size_t>(whole.characters[i].bit)]) << i;
    }
    // Tones found, by the recording's rule and by the hunt of a live stream
    // (which starts the demodulator later, after a silent lead-in).
    for (bool hunting : {false, true}) {
        std::vector<std::int16_t> led = Silence(hunting ? 12.0 : 0.0);
        led.insert(led.end(), samples.begin(), samples.end());
        SitorStreamOptions o;
        o.keepHunting = hunting;
        SitorStream stream(o);
        std::string text;
        std::vector<StreamCharacter> chars = StreamOf(led, o, 48000);
        std::vector<ReadCharacter> read;
        for (const StreamCharacter& c : chars) read.push_back({c.word, false, 0, c.afterGap});
        text = SitorText(read);
        EXPECT_NE(text.find("GALE WARNING SEA AREA 12 WINDS 8 TO 9."), std::string::npos) << hunting << ": " << text;
        EXPECT_NE(text.find("FORECAST FAIR"), std::string::npos) << hunting << ": " << text;
        ASSERT_FALSE(chars.empty());
        // The first character's time counts from the stream's first sample.
        EXPECT_NEAR(static_cast<double>(chars.front().sample) / 48000.0, hunting ? 12.5 : 0.5, 2.5) << hunting;
    }
}

TEST(SitorStreamReading, NoiseGivesNoCharacters) {
    for (std::uint64_t seed = 1; seed <= 3; ++seed) {
        SitorSynthSettings s;
        s.snrDb = -40.0;
        s.seed = seed;
        for (bool hunting : {false, true}) {
            SitorStreamOptions o;
            o.keepHunting = hunting;
            EXPECT_TRUE(StreamOf(SynthesizeSitorB(kText + kText + kText, s), o, 10000).empty()) << seed;
        }
    }
}

std::vector<SitorTextPiece> Follow(const std::vector<StreamCharacter>& chars, std::size_t piece) {
    SitorTextFollower follower;
    std::vector<SitorTextPiece> out;
    for (std::size_t at = 0; at < chars.size(); at += piece) {
        std::vector<StreamCharacter> some(chars.begin() + static_cast<std::ptrdiff_t>(at),
                                          chars.begin() + static_cast<std::ptrdiff_t>(std::min(chars.size(), at + piece)));
        follower.Add(some, out);
    }
    follower.Finish(out);
    return out;
}

TEST(SitorTextFollowing, TextAndMessagesComeAsTheWholeTextHasThem) {
    // A message, its repeat, another, the first again, one cut off by the end.
    const std::string sent = "ZCZC EA01\r\nGALE 9\r\nNNNN\r\n\nZCZC EA01\r\nGALE 9\r\nNNNN\r\nZCZC EE02\r\nFAIR\r\nNNNN\r\nZCZC EA01\r\nGALE 9\r\nNNNN\r\nZCZC EB03\r\nSTORM";
    std::vector<StreamCharacter> chars;
    std::int64_t sample = 0;
    for (std::uint8_t w : EncodeCcir476(sent)) chars.push_back({w, false, sample += 700});
    chars[0].afterGap = true;
    // An error in the first copy of EA01's text: its repeat is the better copy.
    {
        Ccir476Printer printer;
        std::string printed;
        for (StreamCharacter& c : chars) {
            printed += printer.Print(c.word);
            if (printed.size() == sent.find("GALE") + 2) {
                c.word = -1;
                break;
            }
        }
    }
    std::vector<ReadCharacter> read;
    for (const StreamCharacter& c : chars) read.push_back({c.word, false, 0, c.afterGap});
    const std::string whole = SitorText(read);
    const std::vector<NavtexMessage> messages = FindNavtexMessages(whole);
    for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{1000}}) {
        std::string text;
        std::vector<NavtexMessage> starts, ends;
        std::vector<bool> repeats;
        std::size_t emissions = 0;
        for (const SitorTextPiece& p : Follow(chars, piece)) {
            switch (p.kind) {
                case SitorTextPiece::Kind::Text: text += p.text; break;
                case SitorTextPiece::Kind::Emission: ++emissions; break;
                case SitorTextPiece::Kind::MessageStart:
                    // The header comes before its "ZCZC", at the place the whole text has it.
                    ASSERT_LT(starts.size(), messages.size());
                    EXPECT_EQ(text.size(), messages[starts.size()].at) << piece;
                    starts.push_back(p.message);
                    break;
                case SitorTextPiece::Kind::MessageEnd:
                    ends.push_back(p.message);
                    repeats.push_back(p.repeat);
                    break;
            }
        }
        EXPECT_EQ(text, whole) << piece;
        EXPECT_EQ(emissions, 1u);
        ASSERT_EQ(ends.size(), messages.size()) << piece;
        for (std::size_t i = 0; i < ends.size(); ++i) {
            EXPECT_EQ(starts[i].id, messages[i].id);
            EXPECT_EQ(ends[i].id, messages[i].id);
            EXPECT_EQ(ends[i].text, messages[i].text);
            EXPECT_EQ(ends[i].complete, messages[i].complete);
            EXPECT_EQ(ends[i].errors, messages[i].errors);
        }
        // The second EA01 is better than the first (no error): not a
        // repeat; the third is no better than the second: a repeat.
        EXPECT_EQ(ends[0].errors, 1);
        EXPECT_EQ(repeats, (std::vector<bool>{false, false, false, true, false}));
        EXPECT_FALSE(ends.back().complete);
    }
}

}  // namespace
}  // namespace morvane::sitor
