#pragma once
#include <CLI/CLI.hpp>

#include <cstdint>

namespace morvane::cli {

/// Accepts a decimal number that is finite and within low … high (both
/// inclusive, unless lowExclusive); NaN, infinities and other text are usage errors.
CLI::Validator FiniteRange(double low, double high, bool lowExclusive = false);

/// The lowest tone accepted, in Hz.
inline constexpr double kLowestTone = 1.0;

/// A tone frequency: finite, 1 ≤ f ≤ 24 000 Hz (0 and below: outside the
/// range; above 0 but below 1 Hz: too low).
CLI::Validator ToneFrequency();

/// A number that stays finite as a 32-bit float (the raster's slant): NaN,
/// infinities and values beyond a float's range are usage errors.
CLI::Validator FiniteFloat();

/// A whole decimal number (optional sign, digits only) within low … high;
/// empty text, fractions, exponents and values beyond the range are usage
/// errors rather than being clamped or read as 0.
CLI::Validator WholeNumber(std::int64_t low, std::int64_t high);

/// A whole decimal number 0 … 2^64 − 1 (a seed): no sign, no exponent.
CLI::Validator UnsignedWholeNumber();

}  // namespace morvane::cli
