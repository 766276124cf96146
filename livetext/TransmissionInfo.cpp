#include "livetext/TransmissionInfo.h"

#include <cstdio>

namespace morvane {

namespace {

// Trailing zeros (and a trailing point) dropped: 1500.20 → 1500.2, 50.00 → 50.
std::string Short(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string s = text;
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    return s;
}

constexpr const char* kDot = " \u00b7 ";

}  // namespace

std::string CodeName(const CodeSettings& code) {
    std::string name;
    switch (code.code) {
        case TextCode::Baudot: name = "Baudot"; break;
        case TextCode::BaudotUs: name = "Baudot, US figures"; break;
        case TextCode::Ascii7: name = "ASCII 7-bit"; break;
        case TextCode::Ascii8: name = "ASCII 8-bit"; break;
    }
    if (IsAscii(code.code) && code.parity == Parity::Even) name += ", even parity";
    if (IsAscii(code.code) && code.parity == Parity::Odd) name += ", odd parity";
    return name;
}

std::string TransmissionHeader(std::string_view clock, const TransmissionInfo& info) {
    const std::string baud = info.nominalBaud > 0.0 ? Short(info.nominalBaud, 2) : Short(info.baud, 1);
    return std::string(clock) + kDot + baud + " Bd" + kDot + Short(info.tone1Hz, 1) + "/" + Short(info.tone2Hz, 1) +
           " Hz" + kDot + CodeName(info.code);
}

}  // namespace morvane
