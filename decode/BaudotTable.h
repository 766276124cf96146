#pragma once
#include <array>
#include <cstdint>

namespace morvane {

/// What one five-bit code does in one shift state.
struct BaudotAction {
    enum Kind : std::uint8_t { Append, LineBreak, ToLetters, ToFigures, None };
    Kind kind;
    char character;  // for Append
};

/// The teleprinter code, indexed by the code value (first bit sent after the
/// start bit is the least significant): the letters and the figures action.
struct BaudotCode {
    BaudotAction letters;
    BaudotAction figures;
};

namespace baudot_detail {
constexpr BaudotAction A(char c) { return {BaudotAction::Append, c}; }
constexpr BaudotAction kBreak{BaudotAction::LineBreak, 0};
constexpr BaudotAction kLtrs{BaudotAction::ToLetters, 0};
constexpr BaudotAction kFigs{BaudotAction::ToFigures, 0};
constexpr BaudotAction kNone{BaudotAction::None, 0};
}  // namespace baudot_detail

/// Value 8 breaks the line in both states; value 2 and the blank 0 give a
/// space; a space does not return to letters.
inline constexpr std::array<BaudotCode, 32> kBaudotTable = [] {
    using namespace baudot_detail;
    return std::array<BaudotCode, 32>{{
        {A(' '), A(' ')}, {A('E'), A('3')}, {A(' '), A(' ')}, {A('A'), A('-')},
        {A(' '), A(' ')}, {A('S'), kNone},  {A('I'), A('8')}, {A('U'), A('7')},
        {kBreak, kBreak}, {A('D'), kNone},  {A('R'), A('4')}, {A('J'), kNone},
        {A('N'), A(',')}, {A('F'), A('!')}, {A('C'), A(':')}, {A('K'), A('(')},
        {A('T'), A('5')}, {A('Z'), kNone},  {A('L'), A(')')}, {A('W'), A('2')},
        {A('H'), kNone},  {A('Y'), A('6')}, {A('P'), A('0')}, {A('Q'), A('1')},
        {A('O'), A('9')}, {A('B'), kNone},  {A('G'), A('&')}, {kFigs, kFigs},
        {A('M'), A('.')}, {A('X'), A('/')}, {A('V'), kNone},  {kLtrs, kLtrs},
    }};
}();

inline constexpr std::uint8_t kBaudotLetters = 31;
inline constexpr std::uint8_t kBaudotFigures = 27;

}  // namespace morvane
