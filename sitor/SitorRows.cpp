#include "sitor/SitorRows.h"

#include <optional>
#include <vector>

#include "sitor/Ccir476.h"
#include "sitor/ModeB.h"

namespace morvane::sitor {

namespace {
std::vector<SoftBits> RowWords(const std::string& bits, std::int32_t ignore) {
    std::vector<SoftBits> words;
    std::size_t start = 0;
    while (start < bits.size()) {
        std::size_t end = bits.find('\n', start);
        if (end == std::string::npos) end = bits.size();
        std::string row = bits.substr(start, end - start);
        start = end + 1;
        if (!row.empty() && row.back() == '\r') row.pop_back();
        if (ignore > 0 && row.size() > static_cast<std::size_t>(ignore)) row.erase(0, static_cast<std::size_t>(ignore));
        if (row.size() < static_cast<std::size_t>(kWordBits)) continue;
        SoftBits w{};
        for (int i = 0; i < kWordBits; ++i)
            w[static_cast<std::size_t>(i)] = row[static_cast<std::size_t>(i)] == '1' ? 1.0f : row[static_cast<std::size_t>(i)] == '0' ? -1.0f : 0.0f;
        words.push_back(w);
    }
    return words;
}

int Hard(const SoftBits& w) {
    int word = 0;
    for (int i = 0; i < kWordBits; ++i)
        if (w[static_cast<std::size_t>(i)] > 0.0f) word |= 1 << i;
    return word;
}
}  // namespace

std::string DecodeSitorRows(const std::string& bits, std::int32_t ignore) {
    std::vector<SoftBits> words = RowWords(bits, ignore);
    int valid = 0, inverted = 0;
    for (const SoftBits& w : words) {
        valid += IsConstantRatio(static_cast<unsigned>(Hard(w)));
        inverted += IsConstantRatio(static_cast<unsigned>(Hard(w) ^ 0x7F)) && Hard(w) != 0;
    }
    if (inverted > valid)
        for (SoftBits& w : words)
            for (float& b : w) b = -b;
    int score[2] = {0, 0};
    for (std::size_t r = 0; r + 1 < words.size(); ++r) {
        const int w = Hard(words[r]);
        if (r + kRepeatSlots < words.size() && IsConstantRatio(static_cast<unsigned>(w)) && Hard(words[r + kRepeatSlots]) == w)
            ++score[r % 2];
        if (w == kWordRepeat && Hard(words[r + 1]) == kWordAlpha) ++score[r % 2];
    }
    const std::size_t dx = score[1] > score[0] ? 1 : 0;
    std::string text;
    Ccir476Printer printer;
    for (std::size_t r = dx; r < words.size(); r += 2) {
        std::optional<SoftBits> rx;
        if (r + kRepeatSlots < words.size()) rx = words[r + kRepeatSlots];
        text += printer.Print(ChooseCopy(words[r], rx, CopyChoice::Margin).word);
    }
    return text;
}

}  // namespace morvane::sitor
