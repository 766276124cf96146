#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "decode/BaudotTable.h"

namespace morvane {

/// Decodes a bit string, one code group per row (rows cut at line feeds only,
/// a carriage return stays part of its row), skipping `ignore` leading
/// characters of every row longer than that (≤ 0 skips nothing). The group is
/// the next five characters, first one most significant; a group with any
/// character other than '0' or '1', or without an action in the current
/// shift, gives "?". Starts in letters. Replaces `output`; never fails.
void DecodeBaudot(const std::string& input, std::int32_t ignore, std::string& output);

/// What a row holds once its ignored characters are skipped: a code value
/// 0 … 31, an unmatched group, or no group (fewer than five characters).
inline constexpr std::uint8_t kGroupUnmatched = 32;
inline constexpr std::uint8_t kGroupNone = 33;

/// The five characters at `group` as a code value, or kGroupUnmatched.
inline std::uint8_t ReadBaudotGroup(const char* group) {
    unsigned value = 0, stray = 0;
    for (int i = 0; i < 5; ++i) {
        const unsigned bit = static_cast<unsigned char>(group[i]) - unsigned{'0'};
        stray |= bit > 1u;
        value = (value << 1) | (bit & 1u);
    }
    return stray ? kGroupUnmatched : static_cast<std::uint8_t>(value);
}

/// The group of one decoder row (without its line feed) under an ignore count.
inline std::uint8_t BaudotGroupOfRow(std::string_view row, std::int32_t ignore) {
    if (ignore > 0 && row.size() > static_cast<std::size_t>(ignore)) row.remove_prefix(static_cast<std::size_t>(ignore));
    return row.size() < 5 ? kGroupNone : ReadBaudotGroup(row.data());
}

/// What a group does in one shift: the characters it appends (none, one, or
/// the two of a line break) and the shift that follows.
struct BaudotStep {
    char text[2];
    std::uint8_t length;
    bool figures;
};

/// kBaudotSteps[figures][group] for every group 0 … 33 (kGroupUnmatched and
/// kGroupNone included), built from the code table.
inline constexpr auto kBaudotSteps = [] {
    std::array<std::array<BaudotStep, 34>, 2> steps{};
    for (int figures = 0; figures < 2; ++figures) {
        for (int group = 0; group < 34; ++group) {
            BaudotStep& step = steps[figures][group];
            step = {{'?', 0}, 1, figures == 1};
            if (group == kGroupNone) step.length = 0;
            if (group >= 32) continue;
            const BaudotAction& action = figures ? kBaudotTable[group].figures : kBaudotTable[group].letters;
            switch (action.kind) {
                case BaudotAction::Append: step.text[0] = action.character; break;
                case BaudotAction::LineBreak: step = {{'\r', '\n'}, 2, figures == 1}; break;
                case BaudotAction::ToLetters: step = {{0, 0}, 0, false}; break;
                case BaudotAction::ToFigures: step = {{0, 0}, 0, true}; break;
                case BaudotAction::None: break;
            }
        }
    }
    return steps;
}();

/// Carries out a row's group in the current shift, writing at `out`, which
/// has room for two characters; returns the end of what was written.
inline char* ApplyBaudotGroup(std::uint8_t group, bool& figures, char* out) {
    const BaudotStep& step = kBaudotSteps[figures][group];
    out[0] = step.text[0];
    out[1] = step.text[1];
    figures = step.figures;
    return out + step.length;
}

}  // namespace morvane
