#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "decode/TextCode.h"

namespace morvane {

/// Decodes a bit string row by row as the rows arrive, keeping the
/// letters/figures shift from one row to the next (it starts in letters).
/// Rows are as the decoder cuts them: a line without its line feed, a
/// carriage return before it still part of the row.
///
/// Every row is one character frame: the first `ignore` characters of a row
/// longer than that are skipped (≤ 0 skips nothing), and the next characters
/// are the code group, the first one most significant. Baudot codes read five
/// characters and give exactly what DecodeBaudot gives. ASCII reads the
/// parity bit first when there is one, then 7 or 8 data bits; a group with
/// any character other than '0' or '1', or a wrong parity bit, gives "?". A
/// row with no '0' at all is the line at rest (steady mark, no start bit) and
/// gives nothing in ASCII, as does a row too short for a group.
class RowDecoder {
public:
    /// How the Baudot codes of the line ends come out: as DecodeBaudot gives
    /// them (carriage return, code 8, as CR LF; line feed, code 2, as a
    /// space), or as sent (code 8 as CR, code 2 as LF), for a text shown line
    /// by line (see ShownLineBreaks).
    enum class LineEnds { AsDecoded, AsSent };

    explicit RowDecoder(CodeSettings settings = {}, LineEnds lineEnds = LineEnds::AsDecoded);

    /// Appends the text of one row to `out`.
    void Row(std::string_view row, std::int32_t ignore, std::string& out);
    /// Decodes every row of `rows` (rows ended by LF; empty rows skipped)
    /// in turn, as Row does, onto `out`.
    void Rows(std::string_view rows, std::int32_t ignore, std::string& out);

    /// Back to letters, as at the start.
    void Reset() { m_figures = false; }

private:
    void AsciiRow(std::string_view row, std::int32_t ignore, std::string& out) const;

    CodeSettings m_settings;
    LineEnds m_lineEnds;
    bool m_figures = false;
};

/// Decodes a whole bit string (rows cut at line feeds) in the chosen code
/// into `output`, which it replaces. The Baudot code is DecodeBaudot itself.
void DecodeText(const std::string& input, std::int32_t ignore, const CodeSettings& settings, std::string& output);

/// A decoded text as it is shown line by line: every line end a teleprinter
/// sends (CR, LF, CR LF, CR CR LF: any run of CRs with or without a LF, or a
/// lone LF) becomes one '\n'.
std::string ShownLineBreaks(std::string_view text);

/// The text of a whole bit string as DecodeText decodes it, with the line
/// ends as sent and then shown (ShownLineBreaks): what a reader sees.
std::string DecodeShownText(const std::string& input, std::int32_t ignore, const CodeSettings& settings);

}  // namespace morvane
