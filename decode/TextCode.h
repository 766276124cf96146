#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvane {

/// The character codes the decoder and the synthesiser know.
enum class TextCode : std::uint8_t {
    Baudot,    // 5-bit teleprinter code with the program's own table (ITA2 letters and figures)
    BaudotUs,  // the same with the US teleprinter figures ($ ' " # ; ? and the bell)
    Ascii7,    // ASCII, 7 data bits
    Ascii8,    // 8 data bits; values above 127 are shown as <xHH>
};

enum class Parity : std::uint8_t { None, Even, Odd };

/// A code and, for ASCII, its parity bit (sent after the data bits).
struct CodeSettings {
    TextCode code = TextCode::Baudot;
    Parity parity = Parity::None;
};

/// "baudot", "baudot-us", "ascii7", "ascii8": the name TextCodeFromName takes.
std::string_view TextCodeName(TextCode code);
/// "none", "even", "odd": the name ParityFromName takes.
std::string_view ParityName(Parity parity);
/// The code's name with its parity bit, if any: "baudot", "ascii7, even
/// parity", "ascii8, odd parity".
std::string CodeSettingsName(const CodeSettings& settings);

/// "baudot", "baudot-us", "ascii7", "ascii8"; nothing for any other name.
std::optional<TextCode> TextCodeFromName(std::string_view name);
/// "none", "even", "odd"; nothing for any other name.
std::optional<Parity> ParityFromName(std::string_view name);

/// Data bits of one character: 5, 5, 7 or 8.
int DataBits(TextCode code);
inline bool IsAscii(TextCode code) { return code == TextCode::Ascii7 || code == TextCode::Ascii8; }

/// How a decoded ASCII value (0 … 255) is shown: printable characters as
/// themselves, CR and LF as themselves, the other control characters by name
/// in angle brackets ("<BEL>", "<DEL>"), values above 127 as "<xHH>".
std::string AsciiCharacterText(unsigned value);

}  // namespace morvane
