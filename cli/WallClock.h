#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace morvane::cli {

/// The local time of day of a moment, HH:MM:SS.
std::string WallClock(std::chrono::system_clock::time_point at);

/// The local time of day of a stream's sample: `started` is its first
/// sample's moment, `rate` its samples a second (> 0).
std::string WallClockAt(std::chrono::system_clock::time_point started, std::int64_t sample, double rate);

}  // namespace morvane::cli
