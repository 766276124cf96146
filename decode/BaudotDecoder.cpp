#include "decode/BaudotDecoder.h"

#include <cstring>

#include "decode/BaudotTable.h"

namespace morvane {

namespace {

constexpr std::size_t kGroupLength = 5;

/// Decoding state carried from row to row within one call.
class Decoder {
public:
    Decoder(std::int32_t ignore, bool invert, std::string& output)
        : m_ignore(ignore > 0 ? static_cast<std::size_t>(ignore) : 0), m_invert(invert), m_output(output) {
        m_output.clear();
    }

    void Row(std::string_view row) {
        if (row.size() > m_ignore) row.remove_prefix(m_ignore);
        if (row.size() < kGroupLength) return;
        unsigned value = 0;
        for (std::size_t i = 0; i < kGroupLength; ++i) {
            const char c = row[i];
            if (c != '0' && c != '1') {
                m_output.push_back('?');
                return;
            }
            value = (value << 1) | ((c == '1') != m_invert ? 1u : 0u);
        }
        const BaudotCode& code = kBaudotTable[value];
        const BaudotAction& action = m_figures ? code.figures : code.letters;
        switch (action.kind) {
            case BaudotAction::Append: m_output.push_back(action.character); break;
            case BaudotAction::LineBreak: m_output += "\r\n"; break;
            case BaudotAction::ToLetters: m_figures = false; break;
            case BaudotAction::ToFigures: m_figures = true; break;
            case BaudotAction::None: m_output.push_back('?'); break;
        }
    }

private:
    std::size_t m_ignore;
    bool m_invert;
    bool m_figures = false;
    std::string& m_output;
};

/// Calls f for every non-empty piece of `text` between line feeds.
template <typename F>
void ForEachRow(std::string_view text, F&& f) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        const char* stop = lf ? static_cast<const char*>(lf) : end;
        if (stop > p) f(std::string_view(p, static_cast<std::size_t>(stop - p)));
        p = stop + 1;
    }
}

}  // namespace

void DecodeBaudot(const std::string& input, std::int32_t ignore, std::string& output) {
    // Work on a copy when the caller decodes a text into itself.
    const std::string copy = &input == &output ? input : std::string();
    const std::string_view text = &input == &output ? std::string_view(copy) : std::string_view(input);
    Decoder decoder(ignore, false, output);
    ForEachRow(text, [&](std::string_view row) { decoder.Row(row); });
}

std::vector<std::string_view> DecoderRows(std::string_view input) {
    std::vector<std::string_view> rows;
    ForEachRow(input, [&](std::string_view row) { rows.push_back(row); });
    return rows;
}

void DecodeBaudotRows(std::span<const std::string_view> rows, std::int32_t ignore, bool invert,
                      std::string& output) {
    Decoder decoder(ignore, invert, output);
    for (const std::string_view row : rows) decoder.Row(row);
}

}  // namespace morvane
