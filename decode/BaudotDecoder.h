#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

/// Decodes a bit string, one code group per row (rows cut at line feeds only,
/// a carriage return stays part of its row), skipping `ignore` leading
/// characters of every row longer than that (≤ 0 skips nothing). The group is
/// the next five characters, first one most significant; a group with any
/// character other than '0' or '1', or without an action in the current
/// shift, gives "?". Starts in letters. Replaces `output`; never fails.
void DecodeBaudot(const std::string& input, std::int32_t ignore, std::string& output);

/// The decoder's rows of `input`: pieces between line feeds, empty ones dropped.
/// The views point into `input`.
std::vector<std::string_view> DecoderRows(std::string_view input);

/// DecodeBaudot over rows already cut by DecoderRows. With `invert`, every
/// '0' of a group is read as '1' and the other way round, which equals
/// decoding the text after InvertBits. Replaces `output`.
void DecodeBaudotRows(std::span<const std::string_view> rows, std::int32_t ignore, bool invert,
                      std::string& output);

}  // namespace morvane
