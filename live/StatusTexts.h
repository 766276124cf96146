#pragma once
#include <cstdint>
#include <string>

namespace morvane {

/// A duration of `samples` at 48 kHz as "mm:ss", or "h:mm:ss" from an hour
/// on; negative counts as 0, fractions of a second are dropped.
std::string Duration(std::int64_t samples);

/// A whole number with a space every three digits: 25200 as "25 200".
std::string GroupDigits(std::int64_t value);

}  // namespace morvane
