#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "decode/RowDecoder.h"
#include "decode/TextCode.h"

namespace morvane {

/// Turns bit rows into text as they arrive, with the transformations and the
/// decoding of the Bits extract dialog: for every row, invert, read backwards,
/// mask the ignored bits, decode in the chosen code. The text of all rows
/// given one after the other equals DecodeText of PrepareBits of them all.
class TextFollower {
public:
    TextFollower(CodeSettings code, bool reverseBits, bool reverseDirection, std::int32_t ignore);

    /// `rows`: whole rows, each ended by CR LF, as ExtractBits or BitRowStream
    /// give them. Appends their text to `text`.
    void Rows(std::string_view rows, std::string& text);

private:
    RowDecoder m_decoder;
    bool m_reverseBits;
    bool m_reverseDirection;
    std::int32_t m_ignore;
    std::string m_working;
};

}  // namespace morvane
