#pragma once
#include <CLI/CLI.hpp>

namespace morvane::cli {

/// Accepts a decimal number that is finite and within low … high (both
/// inclusive, unless lowExclusive); NaN, infinities and other text are usage errors.
CLI::Validator FiniteRange(double low, double high, bool lowExclusive = false);

/// A tone frequency: finite, 0 < f ≤ 24 000 Hz.
CLI::Validator ToneFrequency();

}  // namespace morvane::cli
