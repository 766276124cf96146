#include "cli/NumberChecks.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>

namespace morvane::cli {

namespace {
std::string Show(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}
}  // namespace

CLI::Validator FiniteRange(double low, double high, bool lowExclusive) {
    const std::string range = Show(low) + (lowExclusive ? " < x <= " : " <= x <= ") + Show(high);
    return CLI::Validator(
        [low, high, lowExclusive, range](std::string& text) -> std::string {
            char* end = nullptr;
            errno = 0;
            const double value = std::strtod(text.c_str(), &end);
            if (end == text.c_str() || *end != '\0') return "'" + text + "' is not a number";
            const bool aboveLow = lowExclusive ? value > low : value >= low;
            if (!std::isfinite(value) || errno == ERANGE || !aboveLow || value > high)
                return text + " is outside " + range;
            return {};
        },
        "NUMBER in " + range);
}

CLI::Validator ToneFrequency() {
    // Up to half the sample rate of 48 000 per second.
    return FiniteRange(0.0, 24000.0, true).description("HZ, 0 < f <= 24000");
}

}  // namespace morvane::cli
