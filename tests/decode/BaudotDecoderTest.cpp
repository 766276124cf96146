#include <gtest/gtest.h>

#include <random>
#include <string>

#include "decode/BaudotDecoder.h"
#include "decode/BaudotRows.h"
#include "decode/BitTransforms.h"
#include "decode/RowDecoder.h"

using namespace morvane;

namespace {

std::string Decode(const std::string& bits, std::int32_t ignore = 0) {
    std::string out = "stale";
    DecodeBaudot(bits, ignore, out);
    return out;
}

}  // namespace

TEST(BaudotDecoder, FollowsTheCodeTableAndShifts) {
    const struct {
        std::string bits;
        std::int32_t ignore;
        std::string text;
    } cases[] = {
        {"", 0, ""},
        {"\r\n\r\n\n", 0, ""},
        {"11011\r\n00001\r\n", 0, "3"},
        {"11111\r\n00001\r\n", 0, "E"},
        {"00001\r\n", 0, "E"},
        {"11011\r\n00100\r\n10110\r\n", 0, " 0"},
        {"11011\r\n00001\r\n11111\r\n00001\r\n", 0, "3E"},
        {"100011\r\n", 1, "A"},
        {"100011\r\n", 0, "Z"},
        {"0101\r\n", 0, "?"},
        {"0101\n", 0, ""},
        {"01 01\r\n", 0, "?"},
        {"__011\r\n", 0, "?"},
        {"0_011\r\n", 0, "?"},
        {"00011\r\n", 6, "A"},
        {"00011\r\n", 2, ""},
        {"00011\r\n", -1, "A"},
        {"100011\r\n", -7, "Z"},
        {"01000\r\n", 0, "\r\n"},
        {"11011\r\n01000\r\n", 0, "\r\n"},
        {"00010\r\n", 0, " "},
        {"00000\r\n", 0, " "},
        {"11011\r\n11001\r\n", 0, "?"},
        {"11011\r\n11010\r\n", 0, "&"},
        {"11011\r\n01101\r\n", 0, "!"},
        {"11011\r\n10100\r\n", 0, "?"},
        // Rows cut only at line feeds: a bare carriage return stays inside the row.
        {"00001\r00011\n", 0, "E"},
        {"0000111111\n", 0, "E"},
        {"00011", 0, "A"},
        {"1x011\n\n00001\n", 0, "?E"},
        {"00011\r\n", INT32_MAX, "A"},
    };
    for (const auto& c : cases) EXPECT_EQ(Decode(c.bits, c.ignore), c.text) << c.bits << " / " << c.ignore;
}

TEST(BaudotDecoder, EveryCodeInBothShifts) {
    const std::string letters = " E A SIU\nDRJNFCKTZLWHYPQOBG\x01MXV\x02";
    const std::string figures = " 3 - ?87\n?4?,!:(5?)2?6019?&\x01./?\x02";
    ASSERT_EQ(letters.size(), 32u);
    ASSERT_EQ(figures.size(), 32u);
    for (unsigned v = 0; v < 32; ++v) {
        std::string code;
        for (int b = 4; b >= 0; --b) code += (v >> b) & 1u ? '1' : '0';
        const auto expect = [](char c) {
            return c == '\n' ? std::string("\r\n") : c < ' ' ? std::string() : std::string(1, c);
        };
        EXPECT_EQ(Decode(code + "\r\n"), expect(letters[v])) << code;
        EXPECT_EQ(Decode("11011\r\n" + code + "\r\n"), expect(figures[v])) << code;
    }
}

TEST(BaudotDecoder, DecodingIntoItsOwnInputUsesACopy) {
    std::string text = "00011\r\n00001\r\n";
    DecodeBaudot(text, 0, text);
    EXPECT_EQ(text, "AE");
}

TEST(BaudotDecoder, PreparedRowsDecodeLikeTheText) {
    std::mt19937 random(3);
    const char alphabet[] = "0011\r\n _";
    for (int trial = 0; trial < 500; ++trial) {
        std::string bits(random() % 80, '0');
        for (char& c : bits) c = alphabet[random() % 8];
        const BaudotRows rows(bits);
        std::string inverted = bits, expected, got;
        InvertBits(inverted);
        for (const std::int32_t ignore : {-2, 0, 1, 2, 3, 5, 6, 9}) {
            rows.Decode(ignore, false, got);
            DecodeBaudot(bits, ignore, expected);
            EXPECT_EQ(got, expected) << bits << " / " << ignore;
            rows.Decode(ignore, true, got);
            DecodeBaudot(inverted, ignore, expected);
            EXPECT_EQ(got, expected) << bits << " / " << ignore << " inverted";
        }
    }
}

// Shown line ends: any run of CRs with or without its LF, or a lone LF, is one break.
TEST(ShownLineBreaks, EveryLineEndIsOneBreak) {
    const struct {
        const char* text;
        const char* shown;
    } cases[] = {
        {"", ""},           {"A\rB", "A\nB"},       {"A\nB", "A\nB"},         {"A\r\nB", "A\nB"},
        {"A\r\r\nB", "A\nB"}, {"A\r\n\r\nB", "A\n\nB"}, {"A\n\nB", "A\n\nB"}, {"\r\r\r", "\n"},
        {"A B", "A B"},
    };
    for (const auto& c : cases) EXPECT_EQ(ShownLineBreaks(c.text), c.shown) << c.text;
}

// Line ends as sent differ from DecodeBaudot only in codes 8 (CR) and 2 (LF),
// on random rows with both shifts.
TEST(ShownLineBreaks, AsSentDiffersOnlyInTheLineEnds) {
    std::mt19937 random(7);
    std::string bits;
    for (int row = 0; row < 4000; ++row) {
        const unsigned group = random() % 32;
        for (int bit = 4; bit >= 0; --bit) bits += (group >> bit) & 1 ? '1' : '0';
        bits += "11\r\n";
    }
    std::string decoded, sent;
    DecodeBaudot(bits, 0, decoded);
    RowDecoder(CodeSettings{}, RowDecoder::LineEnds::AsSent).Rows(bits, 0, sent);
    std::string expected;
    for (std::size_t i = 0, j = 0; i < sent.size(); ++i) {
        if (sent[i] == '\r') {
            ASSERT_EQ(decoded.compare(j, 2, "\r\n"), 0);
            j += 2;
        } else if (sent[i] == '\n') {
            ASSERT_EQ(decoded[j++], ' ');
        } else {
            ASSERT_EQ(decoded[j++], sent[i]);
        }
        if (i + 1 == sent.size()) EXPECT_EQ(j, decoded.size());
    }
    EXPECT_EQ(DecodeShownText(bits, 0, CodeSettings{}), ShownLineBreaks(sent));
}
