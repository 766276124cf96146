#include "decode/BitTransforms.h"

#include <algorithm>
#include <string_view>

namespace morvane {

namespace {

/// Rebuilds `text` row by row: rows cut at CR and LF with blank ones dropped,
/// each passed to `change` and followed by CR LF.
template <typename F>
void RewriteRows(std::string& text, F&& change) {
    std::string result;
    result.reserve(text.size() + 2);
    const std::string_view source(text);
    std::size_t start = 0;
    while (start < source.size()) {
        std::size_t stop = source.find_first_of("\r\n", start);
        if (stop == std::string_view::npos) stop = source.size();
        if (stop > start) {
            const std::size_t at = result.size();
            result.append(source, start, stop - start);
            change(result.begin() + static_cast<std::ptrdiff_t>(at), result.end());
            result += "\r\n";
        }
        start = stop + 1;
    }
    text = std::move(result);
}

}  // namespace

void InvertBits(std::string& text) {
    for (char& c : text) {
        if (c == '0') c = '1';
        else if (c == '1') c = '0';
    }
}

void ReverseRows(std::string& text) {
    RewriteRows(text, [](auto first, auto last) { std::reverse(first, last); });
}

void MaskIgnoredBits(std::string& text, std::int32_t count) {
    const std::size_t n = count > 0 ? static_cast<std::size_t>(count) : 0;
    RewriteRows(text, [n](auto first, auto last) {
        std::fill(first, first + static_cast<std::ptrdiff_t>(std::min<std::size_t>(n, static_cast<std::size_t>(last - first))), '_');
    });
}

std::string PrepareBits(const std::string& source, bool reverseBits, bool reverseDirection, std::int32_t ignore) {
    std::string working = source;
    if (reverseBits) InvertBits(working);
    if (reverseDirection) ReverseRows(working);
    if (ignore > 0) MaskIgnoredBits(working, ignore);
    return working;
}

}  // namespace morvane
