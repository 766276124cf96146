#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace morvane {

/// Decimal text to a 32-bit integer, as the C library's string-to-long reads
/// it: leading white space skipped, an optional sign, digits up to the first
/// non-digit; no digits gives 0; out-of-range values clamp to the 32-bit limits.
std::int32_t TextToLong(std::string_view text);

/// Text to a double, as the C library's string-to-double reads it with '.' as
/// the decimal point whatever the locale; text without a number gives 0.0.
double TextToDouble(std::string_view text);

/// `value` rounded to `decimals` decimals (0 … 17) with '.' as the decimal
/// point whatever the locale, trailing zeros and a trailing point dropped:
/// 1500.20 → "1500.2", 50.00 → "50". Not-a-number and infinities as "nan",
/// "inf", "-inf".
std::string ShortDecimal(double value, int decimals);

}  // namespace morvane
