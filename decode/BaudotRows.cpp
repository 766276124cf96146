#include "decode/BaudotRows.h"

#include "decode/BaudotDecoder.h"

namespace morvane {

BaudotRows::BaudotRows(std::string_view bits) {
    std::size_t start = 0;
    while (start < bits.size()) {
        std::size_t stop = bits.find('\n', start);
        if (stop == std::string_view::npos) stop = bits.size();
        if (stop > start) {
            const std::string_view row = bits.substr(start, stop - start);
            m_rows.push_back({row.data(), row.size(), BaudotGroupOfRow(row, 0)});
        }
        start = stop + 1;
    }
}

void BaudotRows::Decode(std::int32_t ignore, bool invert, std::string& output) const {
    // Every row appends at most two characters.
    output.assign(2 * m_rows.size(), '\0');
    char* out = output.data();
    bool figures = false;
    const std::size_t skip = ignore > 0 ? static_cast<std::size_t>(ignore) : 0;
    for (const Row& row : m_rows) {
        // A row no longer than the ignore count is read whole; its group was
        // found once, whatever the count.
        std::uint8_t group = row.whole;
        if (skip > 0 && row.length > skip)
            group = row.length - skip < 5 ? kGroupNone : ReadBaudotGroup(row.data + skip);
        if (invert && group < 32) group = static_cast<std::uint8_t>(31 - group);
        out = ApplyBaudotGroup(group, figures, out);
    }
    output.resize(static_cast<std::size_t>(out - output.data()));
}

}  // namespace morvane
