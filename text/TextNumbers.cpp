#include "text/TextNumbers.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <string>

namespace morvane {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

}  // namespace

std::int32_t TextToLong(std::string_view text) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kMax + 1) value = kMax + 1;  // saturate; the sign decides the limit below
    }
    if (negative) return static_cast<std::int32_t>(-value < kMin ? kMin : -value);
    return static_cast<std::int32_t>(value > kMax ? kMax : value);
}

double TextToDouble(std::string_view text) {
    const std::string copy(text);  // strtod needs a terminated string
    return strtod_l(copy.c_str(), nullptr, CLocale());
}

std::string ShortDecimal(double value, int decimals) {
    char text[400];  // the longest double in fixed notation with 17 decimals fits
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, std::clamp(decimals, 0, 17));
    std::string s(text, error == std::errc() ? end : text);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    return s;
}

}  // namespace morvane
