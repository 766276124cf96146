// The scanner's pieces gathered into one row per signal, as decode --all
// prints them and the "Signals" list shows them.
#include <gtest/gtest.h>

#include "scanner/SignalRows.h"

namespace morvane {
namespace {

ScannedPiece Opens(int signal, double low, double high, std::int64_t first, const std::string& text = "") {
    ScannedPiece p;
    p.signal = signal;
    p.lowHz = low;
    p.highHz = high;
    p.piece.opens = true;
    p.piece.transmission.firstSample = first;
    p.piece.transmission.tone1Hz = low;
    p.piece.transmission.tone2Hz = high;
    p.piece.text = text;
    return p;
}

ScannedPiece Text(int signal, const std::string& text) {
    ScannedPiece p;
    p.signal = signal;
    p.piece.text = text;
    return p;
}

std::string Texts(const SignalRows& rows) {
    std::string out;
    for (const SignalRow* r : rows.InToneOrder()) out += std::to_string(r->block) + ":" + r->text + ";";
    return out;
}

TEST(SignalRows, GathersEachSignalsTextInToneOrder) {
    const struct {
        const char* name;
        std::vector<ScannedPiece> pieces;
        std::string rows;
    } cases[] = {
        {"two signals, higher found first",
         {Opens(1, 1600, 1800, 0, "AB"), Opens(2, 500, 670, 10, "CD"), Text(1, "EF"), Text(2, "GH")},
         "2:CDGH;1:ABEF;"},
        {"text before a transmission opened is none", {Text(1, "NOISE"), Opens(1, 900, 1350, 0, "X")}, "1:X;"},
        {"a second transmission starts a new line", {Opens(1, 900, 1350, 0, "AB"), Opens(1, 900, 1350, 99, "CD")}, "1:AB\r\nCD;"},
        {"... but not after a line end", {Opens(1, 900, 1350, 0, "AB\r\n"), Opens(1, 900, 1350, 99, "CD")}, "1:AB\r\nCD;"},
        {"found again at the same tones: the same row",
         {Opens(1, 900, 1350, 0, "AB"), Opens(3, 910, 1340, 500, "CD"), Text(3, "EF")},
         "1:AB\r\nCDEF;"},
        {"found again 40 Hz off: a row of its own", {Opens(1, 900, 1350, 0, "AB"), Opens(3, 940, 1390, 500, "CD")}, "1:AB;3:CD;"},
        {"a signal without a transmission has no row", {Text(4, "X")}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SignalRows rows;
        rows.Add(c.pieces);
        EXPECT_EQ(Texts(rows), c.rows);
        EXPECT_EQ(rows.Empty(), c.rows.empty());
    }
}

// What Add hands back is what went into the rows, in order, with the block it went to.
TEST(SignalRows, AddGivesThePiecesAsTheyWentIn) {
    SignalRows rows;
    const auto out = rows.Add({Text(1, "NOISE"), Opens(1, 900, 1350, 7, "AB"), Opens(2, 905, 1355, 90, "CD"), Text(2, "E")});
    ASSERT_EQ(out.size(), 3u);
    EXPECT_TRUE(out[0].opens);
    EXPECT_EQ(out[0].transmission.firstSample, 7);
    EXPECT_EQ(out[1].block, 1);  // signal 2 goes on in signal 1's row
    EXPECT_EQ(out[2].text, "E");
    EXPECT_EQ(rows.BlockOfSignal(2), 1);
    EXPECT_EQ(rows.BlockOfSignal(5), 5);
    EXPECT_EQ(rows.Row(1)->transmissions, 2);
    EXPECT_EQ(rows.Row(1)->first.firstSample, 7);
    EXPECT_EQ(rows.Row(1)->latest.firstSample, 90);
    EXPECT_EQ(rows.Row(2), nullptr);
}

TEST(SignalRows, FollowedRowsAreMarked) {
    SignalRows rows;
    rows.Add({Opens(1, 900, 1350, 0, "A"), Opens(2, 1600, 1800, 0, "B"), Opens(3, 905, 1345, 9, "C")});
    ScannedSignal s;
    s.id = 3;
    s.levelDb = 17.0;
    rows.SetFollowed({s});
    EXPECT_TRUE(rows.Row(1)->followed);  // through signal 3, found again at its tones
    EXPECT_EQ(rows.Row(1)->levelDb, 17.0);
    EXPECT_FALSE(rows.Row(2)->followed);
    rows.SetFollowed({});
    EXPECT_FALSE(rows.Row(1)->followed);
    rows.Clear();
    EXPECT_TRUE(rows.Empty());
}

// A row keeping only its newest text cuts at a line start near the cut, or
// else never inside a character.
TEST(SignalRows, KeptTextEndsWithTheNewestAndCutsCleanly) {
    const struct {
        const char* name;
        std::string text;
        std::string kept;
    } cases[] = {
        {"short enough", "ABCDEFGH", "ABCDEFGH"},
        {"at a line start", "ABCDEFGHIJKLM\r\nNOPQRSTUVWXYZ", "NOPQRSTUVWXYZ"},  // the cut at 12, the line end at 13
        {"a line start too far on", "ABCDEFGHIJ\r\nKLMNOPQRSTU", "HIJ\r\nKLMNOPQRSTU"},
        {"inside a line", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "KLMNOPQRSTUVWXYZ"},
        {"inside a character", "ABCDEFGHIJ\xC3\xA9KLMNOPQRSTUVWXY", "KLMNOPQRSTUVWXY"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SignalRows rows(16);
        rows.Add({Opens(1, 900, 1350, 0, c.text)});
        EXPECT_EQ(rows.Row(1)->text, c.kept);
    }
    // Text added a piece at a time ends the same.
    SignalRows rows(16), whole(16);
    std::string all;
    for (int i = 0; i < 40; ++i) all += static_cast<char>('A' + i % 26);
    whole.Add({Opens(1, 900, 1350, 0, all)});
    rows.Add({Opens(1, 900, 1350, 0)});
    for (char ch : all) rows.Add({Text(1, std::string(1, ch))});
    EXPECT_EQ(rows.Row(1)->text, all.substr(all.size() - 16));
    EXPECT_EQ(whole.Row(1)->text, all.substr(all.size() - 16));
}

}  // namespace
}  // namespace morvane
