#include "support/CTextSplitter.h"

namespace morvane {

CTextSplitter::CTextSplitter(std::string_view text, std::string_view delimiters) : m_source(text) {
    std::string current;
    for (const char c : m_source) {
        if (delimiters.find(c) != std::string_view::npos) {
            if (!current.empty()) m_tokens.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty()) m_tokens.push_back(std::move(current));
    m_tokenCount = static_cast<std::int32_t>(m_tokens.size());
}

std::string CTextSplitter::TokenAt(std::int32_t index) const {
    if (index < 0 || index >= m_tokenCount) return {};
    return m_tokens[static_cast<std::size_t>(index)];
}

}  // namespace morvane
