#include "decode/TextCode.h"

#include <array>
#include <cstdio>

namespace morvane {

std::string_view TextCodeName(TextCode code) {
    switch (code) {
        case TextCode::BaudotUs: return "baudot-us";
        case TextCode::Ascii7: return "ascii7";
        case TextCode::Ascii8: return "ascii8";
        case TextCode::Baudot: break;
    }
    return "baudot";
}

std::string_view ParityName(Parity parity) {
    switch (parity) {
        case Parity::Even: return "even";
        case Parity::Odd: return "odd";
        case Parity::None: break;
    }
    return "none";
}

std::string CodeSettingsName(const CodeSettings& settings) {
    std::string name(TextCodeName(settings.code));
    if (IsAscii(settings.code) && settings.parity != Parity::None)
        name += ", " + std::string(ParityName(settings.parity)) + " parity";
    return name;
}

std::optional<TextCode> TextCodeFromName(std::string_view name) {
    if (name == "baudot") return TextCode::Baudot;
    if (name == "baudot-us") return TextCode::BaudotUs;
    if (name == "ascii7") return TextCode::Ascii7;
    if (name == "ascii8") return TextCode::Ascii8;
    return std::nullopt;
}

std::optional<Parity> ParityFromName(std::string_view name) {
    if (name == "none") return Parity::None;
    if (name == "even") return Parity::Even;
    if (name == "odd") return Parity::Odd;
    return std::nullopt;
}

int DataBits(TextCode code) {
    switch (code) {
        case TextCode::Ascii7: return 7;
        case TextCode::Ascii8: return 8;
        case TextCode::Baudot:
        case TextCode::BaudotUs: break;
    }
    return 5;
}

std::string AsciiCharacterText(unsigned value) {
    static constexpr std::array<const char*, 32> kControlNames = {
        "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
        "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
    if (value == '\r' || value == '\n') return std::string(1, static_cast<char>(value));
    if (value < 32) return std::string("<") + kControlNames[value] + ">";
    if (value == 127) return "<DEL>";
    if (value > 127) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "<x%02X>", value & 0xFFu);
        return hex;
    }
    return std::string(1, static_cast<char>(value));
}

}  // namespace morvane
