#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "sitor/Ccir476.h"
#include "sitor/ModeB.h"
#include "sitor/NavtexMessages.h"
#include "sitor/SitorRows.h"

namespace morvane::sitor {
namespace {

TEST(Ccir476, TheTableHoldsEveryWordOfFourMarksOnce) {
    std::set<unsigned> words;
    for (const Ccir476Entry& e : Ccir476Table()) {
        EXPECT_TRUE(IsConstantRatio(e.word)) << int(e.word);
        words.insert(e.word);
    }
    int fourMarks = 0;
    for (unsigned w = 0; w < 128; ++w) fourMarks += IsConstantRatio(w);
    EXPECT_EQ(fourMarks, kValidWords);
    EXPECT_EQ(words.size(), static_cast<std::size_t>(kValidWords));
    // The signals found by value, as a peer decoder reads them.
    EXPECT_EQ(FindWord(kWordAlpha)->kind, Ccir476Kind::Alpha);
    EXPECT_EQ(FindWord(kWordRepeat)->kind, Ccir476Kind::Repeat);
    EXPECT_EQ(FindWord(kWordBeta)->kind, Ccir476Kind::Beta);
    EXPECT_EQ(FindWord(0x7F), nullptr);
}

TEST(Ccir476, TextRoundTripsThroughTheWords) {
    struct Case {
        const char* sent;
        const char* printed;
    } cases[] = {
        {"ZCZC EA01", "ZCZC EA01"},
        {"gale 8, veering 9.", "GALE 8, VEERING 9."},
        {"A-B?C:D(E)F'G=H/I+J!K&", "A-B?C:D(E)F'G=H/I+J!K&"},
        {"LINE\nNEXT\r\nLAST\rEND", "LINE\r\nNEXT\r\nLAST\r\nEND"},
        {"1 2 3", "1 2 3"},  // a space keeps the figures case
        {"\xC2\xA3" "5", "\xC2\xA3" "5"},
    };
    for (const Case& c : cases) {
        Ccir476Printer printer;
        std::string text;
        for (std::uint8_t w : EncodeCcir476(c.sent)) text += printer.Print(w);
        EXPECT_EQ(text, c.printed) << c.sent;
    }
    EXPECT_THROW(EncodeCcir476("50%"), std::invalid_argument);
    EXPECT_THROW(EncodeCcir476("caf\xC3\xA9"), std::invalid_argument);
}

TEST(Ccir476, ErrorsIdleAndPhasingPrint) {
    Ccir476Printer p;
    EXPECT_EQ(p.Print(-1), "*");
    EXPECT_EQ(p.Print(0x7F), "*");  // not a word of the code
    std::string printed;
    for (std::uint8_t w : {kWordAlpha, kWordRepeat, kWordBeta, kWordCr, kWordCr, kWordLf}) printed += p.Print(w);
    EXPECT_EQ(printed, "\r\n");  // CR CR LF: one line break
    EXPECT_EQ(p.Print(kWordLf), "\r\n");  // a second LF: an empty line
}

TEST(ModeB, EveryWordIsSentAgainFiveSlotsLater) {
    const std::vector<std::uint8_t> words = EncodeCcir476("NAVTEX 518");
    const std::vector<std::uint8_t> slots = InterleaveModeB(words, 4);
    ASSERT_EQ(slots.size(), 2 * (4 + words.size() + 3) + 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(slots[2 * i], kWordRepeat);
        EXPECT_EQ(slots[2 * i + 1], kWordAlpha);
    }
    for (std::size_t i = 0; i < words.size(); ++i) {
        EXPECT_EQ(slots[2 * (4 + i)], words[i]);
        EXPECT_EQ(slots[2 * (4 + i) + kRepeatSlots], words[i]);
    }
    for (std::size_t i = 2 * (4 + words.size()); i < slots.size(); ++i)
        if (i % 2 == 0) {
            EXPECT_EQ(slots[i], kWordAlpha);
        }
}

SoftBits Soft(unsigned word, float size = 1.0f) {
    SoftBits b{};
    for (int i = 0; i < 7; ++i) b[static_cast<std::size_t>(i)] = (word >> i) & 1 ? size : -size;
    return b;
}

TEST(ModeB, ACharacterComesFromTheCopyThatHoldsIt) {
    const SoftBits kDxNearlyY = {0.1f, -0.1f, -0.5f, 0.5f, 0.5f, -0.5f, 0.5f};
    const SoftBits kRxDoubtful = {-0.3f, 0.3f, 0.0f, 0.05f, 0.3f, -0.3f, 0.3f};
    const unsigned e = 0x56, t = 0x74;
    SoftBits eOneWeakFlip = Soft(e);
    eOneWeakFlip[1] = -0.05f;  // a mark flipped weakly: three marks, nearest word E
    SoftBits eOneStrongFlip = Soft(e);
    eOneStrongFlip[1] = -1.0f;   // as sure as the other bits: undecided between words
    struct Case {
        const char* name;
        SoftBits dx;
        std::optional<SoftBits> rx;
        CopyChoice choice;
        int word;
        bool fromRx;
    } cases[] = {
        {"both good", Soft(e), Soft(e), CopyChoice::Valid, int(e), false},
        {"dx bad", Soft(0x7F), Soft(e), CopyChoice::Valid, int(e), true},
        {"rx bad", Soft(e), Soft(0x00), CopyChoice::Valid, int(e), false},
        {"both valid, differ", Soft(e), Soft(t), CopyChoice::Valid, -1, false},
        {"neither valid", Soft(0x7F), Soft(0x01), CopyChoice::Valid, -1, false},
        {"no rx", Soft(e), std::nullopt, CopyChoice::Valid, int(e), false},
        {"dx only ignores rx", Soft(0x7F), Soft(e), CopyChoice::DxOnly, -1, false},
        {"margin: the surer copy", Soft(e, 0.2f), Soft(t, 0.9f), CopyChoice::Margin, int(t), true},
        {"margin: weak flip mended", eOneWeakFlip, Soft(0x7F, 0.01f), CopyChoice::Margin, int(e), false},
        {"margin: neither decided", eOneStrongFlip, Soft(t, 0.01f), CopyChoice::Margin, -1, false},
        {"margin: weak copies that agree", Soft(e, 0.05f), Soft(e, 0.05f), CopyChoice::Margin, int(e), false},
        // Letters shift (0x5A) sent; the first copy reads 0x59 with the larger
        // margin, the repeat 0x5A doubtful in another bit: summed, 0x5A.
        {"margin: the copies' bits summed", kDxNearlyY, kRxDoubtful, CopyChoice::Margin, 0x5A, true},
        {"valid: the same copies differ", kDxNearlyY, kRxDoubtful, CopyChoice::Valid, -1, false},
        // Phasing with a garbled repeat: no character out of the sum.
        {"margin: phasing stays phasing", Soft(kWordRepeat), Soft(0x01, 0.3f), CopyChoice::Margin, kWordRepeat, false},
    };
    for (const Case& c : cases) {
        const ModeBCharacter got = ChooseCopy(c.dx, c.rx, c.choice);
        EXPECT_EQ(got.word, c.word) << c.name;
        if (got.word >= 0) {
            EXPECT_EQ(got.fromRx, c.fromRx) << c.name;
        }
    }
}

TEST(Navtex, MessagesAreFoundAndKeptOnce) {
    const std::string text =
        "NOISE\r\nZCZC EA01\r\nGALE 8\r\nNNNN\r\n\r\n"
        "ZCZC EB00\r\nURGENT\r\nNNNN\r\n"
        "ZCZC EA01\r\nG*LE 8\r\nNNNN\r\n"       // a repeat with an error: the first kept
        "ZCZC EB00\r\nURGENT\r\nNNNN\r\n"       // number 00: always kept
        "ZCZC E*02\r\nX\r\nNNNN\r\n"            // identity in error: never merged
        "ZCZC EE03\r\nFORECAST CUT";
    const std::vector<NavtexMessage> all = FindNavtexMessages(text);
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(all[0].id, "EA01");
    EXPECT_EQ(all[0].station, 'E');
    EXPECT_EQ(all[0].subject, 'A');
    EXPECT_EQ(all[0].number, "01");
    EXPECT_EQ(all[0].text, "GALE 8");
    EXPECT_TRUE(all[0].complete);
    EXPECT_EQ(all[2].errors, 1);
    EXPECT_FALSE(all[5].complete);
    EXPECT_EQ(all[5].text, "FORECAST CUT");
    const std::vector<NavtexMessage> kept = KeepOnce(all);
    ASSERT_EQ(kept.size(), 5u);
    EXPECT_EQ(kept[0].text, "GALE 8");
    EXPECT_EQ(kept[1].id, "EB00");
    EXPECT_EQ(kept[2].id, "EB00");
    // A later, better copy replaces the first at the first one's place.
    const std::vector<NavtexMessage> mended = KeepOnce(FindNavtexMessages("ZCZC EA01\r\nG*LE\r\nNNNN\r\nZCZC EA01\r\nGALE\r\nNNNN\r\n"));
    ASSERT_EQ(mended.size(), 1u);
    EXPECT_EQ(mended[0].text, "GALE");
    EXPECT_EQ(mended[0].at, 0u);
    EXPECT_EQ(NavtexSubject('B'), "meteorological warning");
    EXPECT_EQ(NavtexBlock(all[0], "00:01:02"),
              "00:01:02 \u00b7 station E \u00b7 navigational warning \u00b7 number 01 \u00b7 0 errors\r\n"
              "ZCZC EA01\r\nGALE 8\r\nNNNN\r\n\r\n");
}

}  // namespace
}  // namespace morvane::sitor

namespace morvane::sitor {
namespace {

// Rows of a raster that holds one word a row, bit 1 first, after `lead` other bits.
std::string Rows(const std::vector<std::uint8_t>& slots, bool invert, const std::string& lead) {
    std::string rows;
    for (std::uint8_t w : slots) {
        rows += lead;
        for (int i = 0; i < 7; ++i) rows += (((w >> i) & 1) != 0) != invert ? '1' : '0';
        rows += "\r\n";
    }
    return rows;
}

TEST(SitorRows, RowsOfSevenBitsReadAsSitorB) {
    const std::vector<std::uint8_t> slots = InterleaveModeB(EncodeCcir476("CQ NAVTEX 518"), 3);
    EXPECT_EQ(DecodeSitorRows(Rows(slots, false, ""), 0), "CQ NAVTEX 518");
    EXPECT_EQ(DecodeSitorRows(Rows(slots, true, "__"), 2), "CQ NAVTEX 518");  // mark on the other tone
    // Starting on an RX row, with one DX copy lost and one bit undecided.
    std::string rows = Rows(std::vector<std::uint8_t>(slots.begin() + 1, slots.end()), false, "");
    rows.replace(11 * 9, 7, "1111111");  // row 11: slot 12, the DX copy of N
    rows[9 * 13] = ' ';
    EXPECT_EQ(DecodeSitorRows(rows, 0), "CQ NAVTEX 518");
    EXPECT_EQ(DecodeSitorRows("", 0), "");
}

}  // namespace
}  // namespace morvane::sitor
