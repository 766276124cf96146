#include "decode/RowDecoder.h"

#include "decode/BaudotDecoder.h"
#include "decode/BaudotUsFigures.h"

namespace morvane {

namespace {

constexpr std::uint8_t kCarriageReturnGroup = 8;
constexpr std::uint8_t kLineFeedGroup = 2;

}  // namespace

RowDecoder::RowDecoder(CodeSettings settings, LineEnds lineEnds) : m_settings(settings), m_lineEnds(lineEnds) {}

void RowDecoder::Row(std::string_view row, std::int32_t ignore, std::string& out) {
    if (IsAscii(m_settings.code)) {
        AsciiRow(row, ignore, out);
        return;
    }
    const std::uint8_t group = BaudotGroupOfRow(row, ignore);
    if (m_lineEnds == LineEnds::AsSent && (group == kCarriageReturnGroup || group == kLineFeedGroup)) {
        // Both shifts alike, and neither changes the shift.
        out += group == kCarriageReturnGroup ? '\r' : '\n';
        return;
    }
    if (m_settings.code == TextCode::BaudotUs && m_figures && group < 32 && !kBaudotUsFigures[group].empty()) {
        out += kBaudotUsFigures[group];
        return;
    }
    char text[2];
    const char* end = ApplyBaudotGroup(group, m_figures, text);
    out.append(text, static_cast<std::size_t>(end - text));
}

void RowDecoder::AsciiRow(std::string_view row, std::int32_t ignore, std::string& out) const {
    if (row.find('0') == std::string_view::npos) return;  // steady mark: no start bit, no character
    if (ignore > 0 && row.size() > static_cast<std::size_t>(ignore)) row.remove_prefix(static_cast<std::size_t>(ignore));
    const bool withParity = m_settings.parity != Parity::None;
    const std::size_t width = static_cast<std::size_t>(DataBits(m_settings.code)) + (withParity ? 1 : 0);
    if (row.size() < width) return;
    unsigned value = 0, ones = 0;
    bool stray = false;
    for (std::size_t i = 0; i < width; ++i) {
        const char c = row[i];
        stray |= c != '0' && c != '1';
        const unsigned bit = c == '1' ? 1u : 0u;
        ones += bit;
        if (!(withParity && i == 0)) value = (value << 1) | bit;
    }
    // Even parity: the data and parity bits hold an even number of ones.
    const bool parityOk = !withParity || (ones % 2 == 0) == (m_settings.parity == Parity::Even);
    if (stray || !parityOk) {
        out += '?';
        return;
    }
    out += AsciiCharacterText(value);
}

void RowDecoder::Rows(std::string_view rows, std::int32_t ignore, std::string& out) {
    std::size_t start = 0;
    while (start < rows.size()) {
        std::size_t stop = rows.find('\n', start);
        if (stop == std::string_view::npos) stop = rows.size();
        if (stop > start) Row(rows.substr(start, stop - start), ignore, out);
        start = stop + 1;
    }
}

void DecodeText(const std::string& input, std::int32_t ignore, const CodeSettings& settings, std::string& output) {
    if (settings.code == TextCode::Baudot) {
        DecodeBaudot(input, ignore, output);
        return;
    }
    // Work on a copy when the caller decodes a text into itself.
    const std::string copy = &input == &output ? input : std::string();
    const std::string_view text = &input == &output ? std::string_view(copy) : std::string_view(input);
    output.clear();
    RowDecoder(settings).Rows(text, ignore, output);
}

std::string ShownLineBreaks(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            while (i + 1 < text.size() && text[i + 1] == '\r') ++i;
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            shown += '\n';
        } else {
            shown += c;
        }
    }
    return shown;
}

std::string DecodeShownText(const std::string& input, std::int32_t ignore, const CodeSettings& settings) {
    std::string sent;
    RowDecoder(settings, RowDecoder::LineEnds::AsSent).Rows(input, ignore, sent);
    return ShownLineBreaks(sent);
}

}  // namespace morvane
