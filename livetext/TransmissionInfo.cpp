#include "livetext/TransmissionInfo.h"

#include "text/TextNumbers.h"

#include <cstdio>

namespace morvane {

namespace {

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
    if (!info.heading.empty()) return std::string(clock) + kDot + info.heading;
    const std::string baud = info.nominalBaud > 0.0 ? ShortDecimal(info.nominalBaud, 2) : ShortDecimal(info.baud, 1);
    std::string header = std::string(clock) + kDot + baud + " Bd" + kDot + ShortDecimal(info.tone1Hz, 1) + "/" +
                         ShortDecimal(info.tone2Hz, 1) + " Hz" + kDot + CodeName(info.code);
    if (info.quality) {
        char quality[48];
        std::snprintf(quality, sizeof quality, "%squality %.2f", kDot, *info.quality);
        header += quality;
    }
    return header;
}

}  // namespace morvane
