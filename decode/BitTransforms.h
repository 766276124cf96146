#pragma once
#include <cstdint>
#include <string>

namespace morvane {

/// Swaps every '0' and '1'; everything else, line breaks included, stays.
void InvertBits(std::string& text);

/// Reads every row backwards. Rows are cut at CR and at LF, blank rows are
/// dropped and every row is rejoined with CR LF, the last one included.
void ReverseRows(std::string& text);

/// Replaces the first `count` characters of every row with '_' (the whole row
/// when it is shorter). Rows are cut and rejoined as by ReverseRows; a count
/// of zero or less masks nothing but still rejoins the rows.
void MaskIgnoredBits(std::string& text, std::int32_t count);

/// The Bits extract dialog's working text: invert, then reverse, then mask
/// (only when ignore > 0). The source is left unchanged.
std::string PrepareBits(const std::string& source, bool reverseBits, bool reverseDirection, std::int32_t ignore);

}  // namespace morvane
