#include "live/StatusTexts.h"

#include <algorithm>
#include <cstdio>

#include "dsp/SampleFormat.h"

namespace morvane {

std::string Duration(std::int64_t samples) {
    const std::int64_t seconds = std::max<std::int64_t>(0, samples) / kSampleRate;
    const auto h = static_cast<long long>(seconds / 3600);
    const auto m = static_cast<long long>(seconds / 60 % 60);
    const auto s = static_cast<long long>(seconds % 60);
    char text[48];
    if (h > 0)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", h, m, s);
    else
        std::snprintf(text, sizeof text, "%02lld:%02lld", m, s);
    return text;
}

std::string GroupDigits(std::int64_t value) {
    std::string digits = std::to_string(value);
    const std::ptrdiff_t first = value < 0 ? 1 : 0;
    for (auto i = static_cast<std::ptrdiff_t>(digits.size()) - 3; i > first; i -= 3)
        digits.insert(static_cast<std::size_t>(i), 1, ' ');
    return digits;
}

}  // namespace morvane
