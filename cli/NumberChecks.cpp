#include "cli/NumberChecks.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <string>

namespace morvane::cli {

namespace {
std::string Show(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

// The number in `text`, or an error message in `problem`.
bool ParseDouble(const std::string& text, double& value, std::string& problem) {
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    if (text.empty() || end == text.c_str() || *end != '\0') {
        problem = "'" + text + "' is not a number";
        return false;
    }
    return true;
}

// Digits with an optional sign (a '+' is skipped; '-' only where allowed).
template <typename T>
std::string ParseWhole(const std::string& text, T low, T high, const std::string& range) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') {
        ++first;
        if (first != last && *first == '-') return "'" + text + "' is not a whole number";
    }
    if (first == last || (*first == '-' && std::numeric_limits<T>::is_signed && first + 1 == last))
        return "'" + text + "' is not a whole number";
    T value{};
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec == std::errc::result_out_of_range) return text + " is outside " + range;
    if (ec != std::errc() || end != last) {
        // "-1" for an unsigned number is out of its range, not malformed.
        if (!std::numeric_limits<T>::is_signed && *first == '-') {
            std::int64_t negative = 0;
            const auto [e2, ec2] = std::from_chars(first, last, negative);
            if ((ec2 == std::errc() || ec2 == std::errc::result_out_of_range) && e2 == last)
                return text + " is outside " + range;
        }
        return "'" + text + "' is not a whole number";
    }
    if (value < low || value > high) return text + " is outside " + range;
    return {};
}
}  // namespace

CLI::Validator FiniteRange(double low, double high, bool lowExclusive) {
    const std::string range = Show(low) + (lowExclusive ? " < x <= " : " <= x <= ") + Show(high);
    return CLI::Validator(
        [low, high, lowExclusive, range](std::string& text) -> std::string {
            double value = 0.0;
            std::string problem;
            if (!ParseDouble(text, value, problem)) return problem;
            const bool aboveLow = lowExclusive ? value > low : value >= low;
            if (!std::isfinite(value) || errno == ERANGE || !aboveLow || value > high)
                return text + " is outside " + range;
            return {};
        },
        "NUMBER in " + range);
}

CLI::Validator ToneFrequency() {
    // Up to half the sample rate of 48 000 per second. Below 1 Hz no tone can
    // be told from silence, and such a value would not survive the 32-bit
    // float the demodulator holds (or the option line that prints it).
    const CLI::Validator range = FiniteRange(0.0, 24000.0, true);
    return CLI::Validator(
        [range](std::string& text) -> std::string {
            std::string copy = text;
            std::string problem = range(copy);
            if (!problem.empty()) return problem;
            if (!(std::strtod(text.c_str(), nullptr) >= kLowestTone))
                return text + " Hz is too low: a tone must be 1 Hz or more";
            return {};
        },
        "HZ, 1 <= f <= 24000");
}

CLI::Validator FiniteFloat() {
    // No description: the option's help shows its type alone.
    return CLI::Validator(
        [](std::string& text) -> std::string {
            double value = 0.0;
            std::string problem;
            if (!ParseDouble(text, value, problem)) return problem;
            if (!std::isfinite(value) || !std::isfinite(static_cast<float>(value)))
                return text + " is not a finite number (it must fit a 32-bit float)";
            return {};
        },
        "");
}

CLI::Validator WholeNumber(std::int64_t low, std::int64_t high) {
    const std::string range = std::to_string(low) + " <= n <= " + std::to_string(high);
    return CLI::Validator([low, high, range](std::string& text) { return ParseWhole<std::int64_t>(text, low, high, range); },
                          "INTEGER in " + range);
}

CLI::Validator UnsignedWholeNumber() {
    constexpr std::uint64_t kHigh = std::numeric_limits<std::uint64_t>::max();
    const std::string range = "0 <= n <= " + std::to_string(kHigh);
    return CLI::Validator([range](std::string& text) { return ParseWhole<std::uint64_t>(text, 0, kHigh, range); },
                          "INTEGER in " + range);
}

}  // namespace morvane::cli
