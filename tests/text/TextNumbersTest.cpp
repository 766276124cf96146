#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include "text/TextNumbers.h"

using morvane::TextToDouble;
using morvane::TextToLong;

TEST(TextToLong, FollowsStringToLongRulesClampedTo32Bits) {
    const struct {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"64", 64},         {"  -12abc", -12},      {" 12ab", 12},          {"abc", 0},
        {"", 0},            {"+7", 7},              {"-", 0},               {"1e3", 1},
        {"\t\n 42", 42},    {"2147483647", 2147483647}, {"2147483648", 2147483647},
        {"-2147483648", -2147483647 - 1}, {"-2147483649", -2147483647 - 1},
        {"99999999999999999999999", 2147483647}, {"- 5", 0}, {"0x10", 0},
        {"+-5", 0},         {"\v\f\r12", 12},       {"007", 7},             {"-0", 0},
        {"\xd9\xa3", 0} /* a non-ASCII digit */, {"12 34", 12},
    };
    for (const auto& c : cases) EXPECT_EQ(TextToLong(c.text), c.value) << '"' << c.text << '"';
}

TEST(TextToDouble, ReadsWithAPointWhateverTheLocale) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"0.05", 0.05}, {"1e3", 1000.0}, {"  -0.5x", -0.5}, {"abc", 0.0}, {"", 0.0}, {"0,5", 0.0}, {".25", 0.25},
        {"1.5.3", 1.5}, {"e5", 0.0},     {" +.5e1", 5.0},   {"0x1p3", 8.0}, {"1e", 1.0}, {"-", 0.0},
    };
    for (const auto& c : cases) EXPECT_EQ(TextToDouble(c.text), c.value) << '"' << c.text << '"';
    EXPECT_TRUE(std::isinf(TextToDouble("inf")));
    EXPECT_TRUE(std::isinf(TextToDouble("1e400")));
    EXPECT_TRUE(std::isnan(TextToDouble(" nan")));
    EXPECT_TRUE(std::signbit(TextToDouble("-0")));
    // Text past an embedded terminator is not read, as in the C library.
    EXPECT_EQ(TextToDouble(std::string_view("2\0" "5", 3)), 2.0);

    // A desktop locale with a decimal comma must not change how text is read.
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr) {
        EXPECT_EQ(TextToDouble("0.05"), 0.05);
        std::setlocale(LC_NUMERIC, "C");
    }
}

TEST(ShortDecimal, RoundsAndDropsTrailingZerosWithAPointWhateverTheLocale) {
    const struct {
        double value;
        int decimals;
        std::string text;
    } cases[] = {
        {1500.2, 1, "1500.2"}, {2000.0, 1, "2000"},   {45.45, 2, "45.45"},     {50.0, 2, "50"},
        {-0.46384, 4, "-0.4638"}, {109.996, 2, "110"}, {0.05, 0, "0"},          {1.5, 1, "1.5"},
        {0.1, 17, "0.10000000000000001"}, {1e22, 1, "1" + std::string(22, '0')},
        {2.25, 99, "2.25"} /* decimals beyond 17 are 17 */, {7.0, -3, "7"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(morvane::ShortDecimal(c.value, c.decimals), c.text) << c.value << " " << c.decimals;
    EXPECT_EQ(morvane::ShortDecimal(std::numeric_limits<double>::max(), 17).size(), 309u);  // all its digits
    EXPECT_EQ(morvane::ShortDecimal(std::nan(""), 1), "nan");
    EXPECT_EQ(morvane::ShortDecimal(-HUGE_VAL, 1), "-inf");
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr) {
        EXPECT_EQ(morvane::ShortDecimal(45.45, 2), "45.45");
        std::setlocale(LC_NUMERIC, "C");
    }
}
