#pragma once
#include <cstdint>
#include <string>

namespace morvane::sitor {

/// Raster rows read as SITOR-B, one 7-bit word a row (at 100 baud a bit is 6
/// levels, a row 42): rows in the bit-string form ('1', '0', ' ' undecided,
/// CR LF), the first `ignore` characters of a longer row skipped, the next 7
/// the word, bit 1 first; a shorter row is no word. The polarity is the one
/// that gives more words of four marks; the DX rows are the parity whose
/// rows come again five rows later (or stand in phasing pairs). Each
/// character is taken from its two copies by their margins (an undecided bit
/// counts as neither) and printed as Ccir476Printer prints it.
std::string DecodeSitorRows(const std::string& bits, std::int32_t ignore);

}  // namespace morvane::sitor
