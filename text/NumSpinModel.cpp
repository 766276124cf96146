#include "text/NumSpinModel.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <locale.h>
#include <vector>

namespace morvane {
namespace {

constexpr std::int32_t kMaxPositions = 32767;
constexpr std::int32_t kMaxDecimalPlaces = 340;
constexpr double kTolerance = 1e-9;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Formats with the "C" numeric rules on this thread only, so the decimal
// point is '.' even when the process runs under a locale with a comma.
class CNumericLocale {
public:
    CNumericLocale() : m_previous(uselocale(Locale())) {}
    ~CNumericLocale() { uselocale(m_previous); }
    CNumericLocale(const CNumericLocale&) = delete;
    CNumericLocale& operator=(const CNumericLocale&) = delete;

private:
    static locale_t Locale() {
        static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        return c;
    }
    locale_t m_previous;
};

std::string TrimFraction(std::string s, char symbol) {
    if (s.find(symbol) == std::string::npos) return s;
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == symbol) s.pop_back();
    return s;
}

}  // namespace

void NumSpinModel::SetValueRange(double min, double max, double stepValue) {
    minimum = min;
    maximum = max;
    step = stepValue;
    UpdatePositionCount();
}

void NumSpinModel::UpdatePositionCount() {
    const double q = std::fabs((maximum - minimum) / step);
    if (std::isnan(q))
        positionCount = 0;
    else if (q > static_cast<double>(kMaxPositions))
        positionCount = kMaxPositions;
    else
        positionCount = static_cast<std::int32_t>(q);
}

std::optional<std::int16_t> NumSpinModel::PositionOf(double value) const {
    if (minimum == maximum) return std::nullopt;
    std::int64_t position = 0;
    if (value < minimum) {
        position = 0;
    } else if (value > maximum) {
        position = positionCount;
    } else {
        const double p = (value - minimum) / (maximum - minimum) * positionCount + 0.5;
        position = std::isfinite(p) ? static_cast<std::int64_t>(std::clamp(p, -1e15, 1e15)) : 0;
    }
    // The up-down takes its position as a 16-bit value.
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(position & 0xFFFF));
}

std::string NumSpinModel::FormatDouble(const std::string& format, double value) {
    const CNumericLocale numeric;
    char small[128];
    const int n = std::snprintf(small, sizeof small, format.c_str(), value);
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < sizeof small) return std::string(small, static_cast<std::size_t>(n));
    std::vector<char> big(static_cast<std::size_t>(n) + 1);
    std::snprintf(big.data(), big.size(), format.c_str(), value);
    return std::string(big.data(), static_cast<std::size_t>(n));
}

std::string NumSpinModel::ValueToText(double value) const {
    if (decimalPlaces < 0) return FormatDouble("%g", value);
    const std::int32_t places = std::min(decimalPlaces, kMaxDecimalPlaces);
    const bool exponent = FormatDouble("%g", value).find('e') != std::string::npos;
    const std::string built = "%." + std::to_string(places) + (exponent ? "e" : "f");
    std::string s = FormatDouble(built, value);
    if (!trimZeros) return s;
    if (!exponent) return TrimFraction(std::move(s), decimalSymbol);
    const std::size_t e = s.find('e');
    if (e == std::string::npos) return s;
    return TrimFraction(s.substr(0, e), decimalSymbol) + s.substr(e);
}

std::string NumSpinModel::DisplayText(double value) const {
    if (!formatText.empty() && IsSafeFormat(formatText)) return FormatDouble(formatText, value);
    return ValueToText(value);
}

double NumSpinModel::ArrowValue(double current, std::int32_t delta, bool wrap) const {
    double v = current + delta * step;
    if (delta < 0) {
        const double t = std::max(std::fabs(std::max(v, minimum)) * kTolerance, kTolerance);
        if (minimum - v > t || !std::isfinite(v)) v = wrap ? maximum : minimum;
    } else {
        const double t = std::max(std::fabs(std::max(v, maximum)) * kTolerance, kTolerance);
        if (v - maximum > t || !std::isfinite(v)) v = wrap ? minimum : maximum;
    }
    return v;
}

bool NumSpinModel::IsSafeFormat(std::string_view format) {
    int conversions = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        if (++i == format.size()) return false;
        if (format[i] == '%') continue;
        while (i < format.size() && std::string_view("-+ #0").find(format[i]) != std::string_view::npos) ++i;
        auto digits = [&] {
            std::size_t n = 0;
            while (i < format.size() && IsDigit(format[i])) ++i, ++n;
            return n;
        };
        if (digits() > 3) return false;
        if (i < format.size() && format[i] == '.') {
            ++i;
            if (digits() > 3) return false;
        }
        if (i < format.size() && format[i] == 'l') ++i;
        if (i == format.size() || std::string_view("fFeEgGaA").find(format[i]) == std::string_view::npos)
            return false;
        ++conversions;
    }
    return conversions == 1;
}

}  // namespace morvane
