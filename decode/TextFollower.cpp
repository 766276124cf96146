#include "decode/TextFollower.h"

#include "decode/BitTransforms.h"

namespace morvane {

TextFollower::TextFollower(CodeSettings code, bool reverseBits, bool reverseDirection, std::int32_t ignore)
    : m_decoder(code), m_reverseBits(reverseBits), m_reverseDirection(reverseDirection), m_ignore(ignore) {}

void TextFollower::Rows(std::string_view rows, std::string& text) {
    // The transformations work row by row, so the rows may come one at a time.
    m_working = PrepareBits(std::string(rows), m_reverseBits, m_reverseDirection, m_ignore);
    m_decoder.Rows(m_working, m_ignore, text);
}

}  // namespace morvane
