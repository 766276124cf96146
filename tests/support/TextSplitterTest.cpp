#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/CTextSplitter.h"

using morvane::CTextSplitter;

namespace {

std::vector<std::string> Tokens(const CTextSplitter& s) {
    std::vector<std::string> tokens;
    for (std::int32_t i = 0; i < s.TokenCount(); ++i) tokens.push_back(s.TokenAt(i));
    return tokens;
}

}  // namespace

TEST(TextSplitter, CutsAtEveryDelimiterAndDropsEmptyPieces) {
    const struct {
        std::string text;
        std::string delimiters;
        std::vector<std::string> tokens;
    } cases[] = {
        {"\r\n10 1\r\n\r\n01\r\n", "\r\n", {"10 1", "01"}},
        {"", "\r\n", {}},
        {"\r\n\n\r", "\r\n", {}},
        {"abc", "\r\n", {"abc"}},
        {"abc", "", {"abc"}},
        {"101 11\t0\f1\r0\n", " \n\t\f\r", {"101", "11", "0", "1", "0"}},
        {"  a  b  ", " ", {"a", "b"}},
        {"1\r2\n3", "\n", {"1\r2", "3"}},
    };
    for (const auto& c : cases) {
        const CTextSplitter s(c.text, c.delimiters);
        EXPECT_EQ(s.TokenCount(), static_cast<std::int32_t>(c.tokens.size())) << c.text;
        EXPECT_EQ(Tokens(s), c.tokens) << c.text;
    }
}

TEST(TextSplitter, IndexOutOfRangeGivesEmptyText) {
    const CTextSplitter s("\r\n10 1\r\n\r\n01\r\n", "\r\n");
    ASSERT_EQ(s.TokenCount(), 2);
    for (const std::int32_t index : {2, -1, 1000, INT32_MIN}) EXPECT_EQ(s.TokenAt(index), "") << index;
}
