#pragma once
#include <cstdint>
#include <string>

namespace morvane {

/// Swaps every '0' and '1'; everything else, line breaks included, stays.
void InvertBits(std::string& text);

/// Reads every row backwards; rows rejoined with CR LF, blank rows dropped.
void ReverseRows(std::string& text);

/// Replaces the first `count` characters of every row (count > 0) with '_'.
void MaskIgnoredBits(std::string& text, std::int32_t count);

/// The Bits extract dialog's working text: invert, then reverse, then mask.
std::string PrepareBits(const std::string& source, bool reverseBits, bool reverseDirection, std::int32_t ignore);

}  // namespace morvane
