#include <gtest/gtest.h>

#include <string>

#include "decode/BitTransforms.h"

using namespace morvane;

TEST(BitTransforms, InvertSwapsOnlyZerosAndOnes) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"0 1\r\n110\r\n", "1 0\r\n001\r\n"},
        {"", ""},
        {"_01\r\n\n\r \x80", "_10\r\n\n\r \x80"},
    };
    for (const auto& c : cases) {
        std::string text = c.in;
        InvertBits(text);
        EXPECT_EQ(text, c.out);
    }
}

TEST(BitTransforms, ReverseReadsRowsBackwardsAndNormalisesBreaks) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"0011\r\n\r\n101", "1100\r\n101\r\n"},
        {"0011\n101\n", "1100\r\n101\r\n"},
        {"0011\r101\r", "1100\r\n101\r\n"},
        {"", ""},
        {"\r\n\r\n\n", ""},
        {"1 0_\r\n", "_0 1\r\n"},
        {"0001011", "1101000\r\n"},
    };
    for (const auto& c : cases) {
        std::string text = c.in;
        ReverseRows(text);
        EXPECT_EQ(text, c.out) << c.in;
    }
}

TEST(BitTransforms, MaskMarksLeadingCharactersOfEveryRow) {
    const struct {
        std::string in;
        std::int32_t count;
        std::string out;
    } cases[] = {
        {"0110\r\n1\r\n", 2, "__10\r\n_\r\n"},
        {"0110\n\n1", 1, "_110\r\n_\r\n"},
        {"0110\r\n", 4, "____\r\n"},
        {"0110\r\n", 100, "____\r\n"},
        {"0110\r\n", INT32_MAX, "____\r\n"},
        {"0110\n", 0, "0110\r\n"},
        {"0110\n", -3, "0110\r\n"},
        {"", 3, ""},
    };
    for (const auto& c : cases) {
        std::string text = c.in;
        MaskIgnoredBits(text, c.count);
        EXPECT_EQ(text, c.out) << c.in << " / " << c.count;
    }
}

TEST(BitTransforms, PrepareInvertsThenReversesThenMasks) {
    const std::string source = "0001011\r\n1 10\r\n";
    const struct {
        bool reverseBits, reverseDirection;
        std::int32_t ignore;
        std::string out;
    } cases[] = {
        {false, false, 0, source},
        {false, false, -2, source},
        {false, false, 3, "___1011\r\n___0\r\n"},
        {true, false, 0, "1110100\r\n0 01\r\n"},
        {false, true, 0, "1101000\r\n01 1\r\n"},
        // The mask counts from the start of the reversed row: the last bit received.
        {false, true, 1, "_101000\r\n_1 1\r\n"},
        {true, true, 2, "__10111\r\n__ 0\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PrepareBits(source, c.reverseBits, c.reverseDirection, c.ignore), c.out)
            << c.reverseBits << c.reverseDirection << c.ignore;
    }
    // Untouched source, even with bare line feeds: no option means no change at all.
    EXPECT_EQ(PrepareBits("01\n10", false, false, 0), "01\n10");
}
