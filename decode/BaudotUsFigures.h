#pragma once
#include <array>
#include <string_view>

namespace morvane {

/// The figures of the US teleprinter code where they differ from the Baudot
/// table (indexed by code value, the first bit after the start bit least
/// significant; an empty entry keeps the Baudot table's action). Letters,
/// shifts, space and line break are the same in both.
///
///   value (letters key)  US figure   ITA2 figure
///    5 (S)               bell        apostrophe
///    9 (D)               $           who-are-you
///   11 (J)               '           bell
///   17 (Z)               "           +
///   20 (H)               #           unassigned
///   25 (B)               ?           ?
///   30 (V)               ;           =
///
/// F (13) "!" and G (26) "&" are US figures that the Baudot table already
/// has. The bell is a control character and shows as "<BEL>".
inline constexpr std::array<std::string_view, 32> kBaudotUsFigures = [] {
    std::array<std::string_view, 32> figures{};
    figures[5] = "<BEL>";
    figures[9] = "$";
    figures[11] = "'";
    figures[17] = "\"";
    figures[20] = "#";
    figures[25] = "?";
    figures[30] = ";";
    return figures;
}();

/// The character the US figures send for code value 5, the bell.
inline constexpr char kBellCharacter = '\a';

}  // namespace morvane
