#pragma once
// How well a reading gets text through noise: the recording's frames found by
// search, the rows decoded, the text compared with what was sent. Shared by
// the noise tests and the error-rate table (bench/cer).
#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "decode/BaudotDecoder.h"
#include "decode/BitTransforms.h"
#include "raster/RasterParams.h"

namespace morvane::noisy {

/// A 50-baud frame of 1 start, 5 data and 1.5 stop bits is 90 levels; cells
/// of 12 levels give 8 cells a row.
constexpr std::int32_t kFrameLevels = 90;

inline RasterParams FrameRaster(std::int32_t offset) {
    RasterParams p;
    p.count = kFrameLevels;
    p.gridWidth = 24;
    p.offset = offset;
    return p;
}

/// Edit distance (insertions, deletions, substitutions) between two texts.
inline std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

/// Where the level reading `levelBits` decided a cell, whether `softBits`
/// holds the same character, with the same rows and line ends. Gives the
/// number of cells compared, or -1 at the first difference.
inline int AgreeWhereDecided(const std::string& levelBits, const std::string& softBits) {
    if (levelBits.size() != softBits.size()) return -1;
    int compared = 0;
    for (std::size_t i = 0; i < levelBits.size(); ++i) {
        if (levelBits[i] == ' ') continue;
        if (levelBits[i] != softBits[i]) return -1;
        compared += levelBits[i] == '0' || levelBits[i] == '1';
    }
    return compared;
}

/// Rows whose start cell is '0' and whose stop cell (the seventh) is '1'.
inline int FramedRows(const std::string& bits) {
    int framed = 0;
    std::size_t at = 0;
    while (at < bits.size()) {
        std::size_t end = bits.find("\r\n", at);
        if (end == std::string::npos) end = bits.size();
        framed += end - at >= 7 && bits[at] == '0' && bits[at + 6] == '1';
        at = end + 2;
    }
    return framed;
}

/// The text of a bit string read as 50-baud frames: rows read backwards, the
/// two stop cells skipped. Line ends and the decoder's own padding removed at
/// both ends, so only the characters count.
inline std::string FrameText(const std::string& bits) {
    std::string text;
    DecodeBaudot(PrepareBits(bits, false, true, 2), 2, text);
    const auto first = text.find_first_not_of(" \r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \r\n") - first + 1);
}

/// The decoded text under the best alignment: of the 90 offsets, the one whose
/// rows are framed most often (in a tie, the middle of the longest run of
/// best offsets, round the frame), which is what a user lining up the raster
/// by eye would choose.
inline std::string AlignedText(const std::function<std::string(const RasterParams&)>& extract) {
    std::vector<int> score(kFrameLevels);
    for (int offset = 0; offset < kFrameLevels; ++offset) score[offset] = FramedRows(extract(FrameRaster(offset)));
    const int best = *std::max_element(score.begin(), score.end());
    int bestStart = 0, bestLength = 0;
    for (int start = 0; start < kFrameLevels; ++start) {
        if (score[start] != best || score[(start + kFrameLevels - 1) % kFrameLevels] == best) continue;
        int length = 0;
        while (length < kFrameLevels && score[(start + length) % kFrameLevels] == best) ++length;
        if (length > bestLength) bestStart = start, bestLength = length;
    }
    if (bestLength == 0) bestLength = kFrameLevels;  // every offset scores alike
    return FrameText(extract(FrameRaster((bestStart + bestLength / 2) % kFrameLevels)));
}

}  // namespace morvane::noisy
