#include <gtest/gtest.h>

#include <random>
#include <string>

#include "decode/BaudotDecoder.h"
#include "decode/BitTransforms.h"
#include "decode/RowDecoder.h"
#include "decode/TextFollower.h"

using namespace morvane;

namespace {

std::string Decode(const std::string& bits, CodeSettings code, std::int32_t ignore = 0) {
    std::string out = "stale";
    DecodeText(bits, ignore, code, out);
    return out;
}

// Rows of the given groups, each followed by CR LF.
std::string Rows(std::initializer_list<const char*> groups) {
    std::string bits;
    for (const char* g : groups) bits += std::string(g) + "\r\n";
    return bits;
}

// A random bit string with undecided cells, marks and stray line breaks.
std::string RandomBits(std::mt19937& random, int rows) {
    static constexpr char kChars[] = "0101010101 _";
    std::string bits;
    for (int r = 0; r < rows; ++r) {
        const int length = static_cast<int>(random() % 13);
        for (int i = 0; i < length; ++i) bits += kChars[random() % 12];
        bits += random() % 7 == 0 ? "\n" : "\r\n";
    }
    return bits;
}

constexpr CodeSettings kBaudot{TextCode::Baudot, Parity::None};
constexpr CodeSettings kUs{TextCode::BaudotUs, Parity::None};
constexpr CodeSettings kAscii7{TextCode::Ascii7, Parity::None};
constexpr CodeSettings kAscii8{TextCode::Ascii8, Parity::None};
constexpr CodeSettings kAscii7Even{TextCode::Ascii7, Parity::Even};
constexpr CodeSettings kAscii7Odd{TextCode::Ascii7, Parity::Odd};
constexpr CodeSettings kAscii8Odd{TextCode::Ascii8, Parity::Odd};

}  // namespace

TEST(TextCode, NamesAndDataBits) {
    EXPECT_EQ(TextCodeFromName("baudot"), TextCode::Baudot);
    EXPECT_EQ(TextCodeFromName("baudot-us"), TextCode::BaudotUs);
    EXPECT_EQ(TextCodeFromName("ascii7"), TextCode::Ascii7);
    EXPECT_EQ(TextCodeFromName("ascii8"), TextCode::Ascii8);
    EXPECT_EQ(TextCodeFromName("ASCII7"), std::nullopt);
    EXPECT_EQ(ParityFromName("odd"), Parity::Odd);
    EXPECT_EQ(ParityFromName("mark"), std::nullopt);
    EXPECT_EQ(DataBits(TextCode::BaudotUs), 5);
    EXPECT_EQ(DataBits(TextCode::Ascii7), 7);
    EXPECT_EQ(DataBits(TextCode::Ascii8), 8);
}

TEST(TextCode, AsciiCharactersAndTheirNames) {
    const struct {
        unsigned value;
        const char* text;
    } cases[] = {{'A', "A"}, {' ', " "}, {'~', "~"}, {'?', "?"}, {'\r', "\r"}, {'\n', "\n"}, {0, "<NUL>"},
                 {7, "<BEL>"}, {9, "<HT>"}, {27, "<ESC>"}, {31, "<US>"}, {127, "<DEL>"}, {128, "<x80>"},
                 {0xE9, "<xE9>"}, {255, "<xFF>"}};
    for (const auto& c : cases) EXPECT_EQ(AsciiCharacterText(c.value), c.text) << c.value;
}

TEST(TextCode, EveryCodeReadsItsGroups) {
    const struct {
        const char* name;
        CodeSettings code;
        std::string bits;
        std::int32_t ignore;
        std::string text;
    } cases[] = {
        // US figures: the seven places where they differ, then the shared ones.
        {"US figures", kUs, Rows({"11011", "00101", "01001", "01011", "10001", "10100", "11001", "11110"}), 0,
         "<BEL>$'\"#?;"},
        {"US shared figures", kUs, Rows({"11011", "01101", "11010", "00001", "01000", "11111", "00001"}), 0,
         "!&3\r\nE"},
        {"US letters", kUs, Rows({"00101", "01001", "10001"}), 0, "SDZ"},
        {"Baudot keeps its own figures", kBaudot, Rows({"11011", "01001", "11001"}), 0, "??"},
        // ASCII: first character most significant; the rows' tails are not read.
        {"ASCII 7", kAscii7, Rows({"1001000", "1101001", "0001101", "0001010"}), 0, "Hi\r\n"},
        {"ASCII 7 skips the ignored bits", kAscii7, Rows({"__1001000" "0", "111000001"}), 2, "HA"},
        {"ASCII 7 controls", kAscii7, Rows({"0000111", "0000000", "0001001", "1111111" "0"}), 0,
         "<BEL><NUL><HT><DEL>"},
        {"ASCII 8", kAscii8, Rows({"01000001", "11101001", "10000000"}), 0, "A<xE9><x80>"},
        {"even parity", kAscii7Even, Rows({"01000001", "11000001", "11000011", "01000011"}), 0, "A?C?"},
        {"odd parity", kAscii7Odd, Rows({"01000001", "11000001", "01000011"}), 0, "?AC"},
        {"8 bits odd parity", kAscii8Odd, Rows({"011101001", "111101001"}), 0, "<xE9>?"},
        {"undecided or masked bit", kAscii7, Rows({"10 1000", "1_01000"}), 0, "??"},
        {"short rows give nothing", kAscii7, "100100\n0\n", 0, ""},
        {"short row under parity", kAscii7Even, "0100000\n", 0, ""},
        // A row without a 0 is the line at rest; one with any 0 is a frame.
        {"steady mark", kAscii7, Rows({"1111111111", "__11111111", "0111111111"}), 2, "<DEL>"},
        {"steady mark, 8 bits", kAscii8, Rows({"11111111", "111111110"}), 0, "<xFF>"},
        {"carriage return ends a short group", kAscii7, "100100\r\n", 0, "?"},
    };
    for (const auto& c : cases) EXPECT_EQ(Decode(c.bits, c.code, c.ignore), c.text) << c.name;
}

TEST(TextCode, BaudotCodesAgreeWithTheBaudotDecoder) {
    std::mt19937 random(14);
    for (int trial = 0; trial < 200; ++trial) {
        const std::string bits = RandomBits(random, 40);
        const std::int32_t ignore = static_cast<std::int32_t>(random() % 9) - 2;
        std::string expected;
        DecodeBaudot(bits, ignore, expected);
        EXPECT_EQ(Decode(bits, kBaudot, ignore), expected) << bits;
        // Row by row, the shift carrying over, gives the same.
        RowDecoder rows(kBaudot);
        std::string text;
        std::size_t start = 0;
        for (std::size_t stop; (stop = bits.find('\n', start)) != std::string::npos; start = stop + 1)
            if (stop > start) rows.Row(std::string_view(bits).substr(start, stop - start), ignore, text);
        EXPECT_EQ(text, expected) << bits;
        // The US figures differ only where a figure differs.
        std::string us = Decode(bits, kUs, ignore);
        if (us.find_first_of("$'\"#;<") == std::string::npos && expected.find('?') == std::string::npos) {
            EXPECT_EQ(us, expected) << bits;
        }
    }
}

TEST(TextCode, DecodingIntoItsOwnInput) {
    std::string text = Rows({"1001000", "1101001"});
    DecodeText(text, 0, kAscii7, text);
    EXPECT_EQ(text, "Hi");
}

TEST(TextFollower, RowsOneByOneGiveTheWholeTextsDecoding) {
    std::mt19937 random(7);
    const CodeSettings codes[] = {kBaudot, kUs, kAscii7, kAscii8, kAscii7Even, kAscii8Odd};
    for (int trial = 0; trial < 120; ++trial) {
        // Rows as extraction gives them: bits then CR LF, never empty.
        std::string bits;
        for (int r = 0; r < 30; ++r) {
            const int length = 1 + static_cast<int>(random() % 12);
            for (int i = 0; i < length; ++i) bits += "01 "[random() % 3 == 2 ? 2 : random() % 2];
            bits += "\r\n";
        }
        const CodeSettings code = codes[trial % std::size(codes)];
        const bool reverseBits = random() % 2, reverseDirection = random() % 2;
        const std::int32_t ignore = static_cast<std::int32_t>(random() % 5) - 1;
        std::string expected;
        DecodeText(PrepareBits(bits, reverseBits, reverseDirection, ignore), ignore, code, expected);

        TextFollower follower(code, reverseBits, reverseDirection, ignore);
        std::string text;
        for (std::size_t start = 0; start < bits.size();) {
            // One to three rows at a time.
            std::size_t stop = start;
            for (int k = 1 + static_cast<int>(random() % 3); k > 0 && stop < bits.size(); --k) stop = bits.find('\n', stop) + 1;
            follower.Rows(std::string_view(bits).substr(start, stop - start), text);
            start = stop;
        }
        EXPECT_EQ(text, expected) << "trial " << trial << "\n" << bits;
    }
}
