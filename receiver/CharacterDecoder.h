#pragma once
#include <cstdint>
#include <string>

#include "decode/TextCode.h"

namespace morvane {

/// Turns received code values into text: Baudot with its shifts (and, when
/// asked, a space in figures returning to letters, as teleprinters that
/// unshift on space do), ASCII with its parity checked. CR, LF and CR CR LF
/// each give one line break (CR LF); the Baudot blank (0) and ASCII NUL
/// print nothing.
class CharacterDecoder {
public:
    CharacterDecoder(CodeSettings code, bool unshiftOnSpace);
    /// value: the data bits, first sent least significant; parityOk: the
    /// parity bit, if any, holds. Appends the character's text to `out`.
    void Decode(unsigned value, bool parityOk, std::string& out);
    /// Back to letters, no line end pending (a new transmission).
    void Reset();

private:
    void LineEnd(bool carriageReturn, std::string& out);
    void Baudot(unsigned value, std::string& out);

    CodeSettings m_code;
    bool m_unshift;
    bool m_figures = false;
    bool m_afterCr = false;
};

}  // namespace morvane
