#include "receiver/CharacterDecoder.h"

#include "decode/BaudotTable.h"
#include "decode/BaudotUsFigures.h"

namespace morvane {

namespace {
constexpr unsigned kBaudotCr = 8, kBaudotLf = 2, kBaudotSpace = 4, kBaudotBlank = 0;
constexpr unsigned kCr = 13, kLf = 10, kNul = 0;
}  // namespace

CharacterDecoder::CharacterDecoder(CodeSettings code, bool unshiftOnSpace) : m_code(code), m_unshift(unshiftOnSpace) {}

void CharacterDecoder::Reset() {
    m_figures = false;
    m_afterCr = false;
}

void CharacterDecoder::LineEnd(bool carriageReturn, std::string& out) {
    if (!m_afterCr) out += "\r\n";
    m_afterCr = carriageReturn;
}

void CharacterDecoder::Baudot(unsigned value, std::string& out) {
    value &= 31u;
    if (value == kBaudotCr || value == kBaudotLf) {
        LineEnd(value == kBaudotCr, out);
        return;
    }
    if (value == kBaudotLetters || value == kBaudotFigures) {
        m_figures = value == kBaudotFigures;
        return;  // a shift keeps a pending CR's line end
    }
    m_afterCr = false;
    if (value == kBaudotBlank) return;
    if (value == kBaudotSpace) {
        out += ' ';
        if (m_unshift) m_figures = false;
        return;
    }
    if (m_figures && m_code.code == TextCode::BaudotUs && !kBaudotUsFigures[value].empty()) {
        out += kBaudotUsFigures[value];
        return;
    }
    const BaudotAction& action = m_figures ? kBaudotTable[value].figures : kBaudotTable[value].letters;
    out += action.kind == BaudotAction::Append ? action.character : '?';
}

void CharacterDecoder::Decode(unsigned value, bool parityOk, std::string& out) {
    if (!IsAscii(m_code.code)) {
        Baudot(value, out);
        return;
    }
    if (!parityOk) {
        m_afterCr = false;
        out += '?';
        return;
    }
    if (value == kCr || value == kLf) {
        LineEnd(value == kCr, out);
        return;
    }
    m_afterCr = false;
    if (value == kNul) return;
    out += AsciiCharacterText(value);
}

}  // namespace morvane
