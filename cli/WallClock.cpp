#include "cli/WallClock.h"

#include <ctime>

namespace morvane::cli {

std::string WallClock(std::chrono::system_clock::time_point at) {
    const std::time_t t = std::chrono::system_clock::to_time_t(at);
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

std::string WallClockAt(std::chrono::system_clock::time_point started, std::int64_t sample, double rate) {
    return WallClock(started + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                   std::chrono::duration<double>(double(sample) / rate)));
}

}  // namespace morvane::cli
