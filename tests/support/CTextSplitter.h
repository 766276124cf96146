#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

/// Splits a text at any character of a delimiter set, dropping empty pieces.
class CTextSplitter {
public:
    CTextSplitter(std::string_view text, std::string_view delimiters);

    std::int32_t TokenCount() const { return m_tokenCount; }
    /// A copy of token `index` (0-based); empty for an index out of range.
    std::string TokenAt(std::int32_t index) const;

private:
    std::string m_source;
    std::vector<std::string> m_tokens;
    std::int32_t m_tokenCount = 0;
};

}  // namespace morvane
