#include "align/FrameCode.h"

#include <cmath>
#include <cstdio>
#include <string_view>
#include <vector>

namespace morvane {

namespace {

// A bit that is mark in this share of the frames may be a stop bit; by
// chance a data or parity bit is mark in about half of them.
constexpr double kNearlyAll = 0.75;
// A bit that holds the parity in this share of the frames may be a parity
// bit: by chance the parity holds in about half of them, and noise that flips
// one bit in twenty leaves a parity bit holding in about 70 % (it checks
// eight bits).
constexpr double kMoreThanChance = 0.6;

// The decided rows of `rows` that hold at least `cells` cells.
std::vector<std::string_view> DecidedRows(const std::string& rows, std::size_t cells) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    while (start < rows.size()) {
        std::size_t stop = rows.find('\n', start);
        if (stop == std::string::npos) stop = rows.size();
        std::string_view row(rows.data() + start, stop - start);
        if (!row.empty() && row.back() == '\r') row.remove_suffix(1);
        if (row.size() >= cells && row.find_first_not_of("01") == std::string_view::npos) out.push_back(row);
        start = stop + 1;
    }
    return out;
}

// Share of the rows for which `test` holds.
template <class Test>
double Share(const std::vector<std::string_view>& rows, Test test) {
    if (rows.empty()) return 0.0;
    std::size_t hits = 0;
    for (std::string_view row : rows) hits += test(row) ? 1 : 0;
    return static_cast<double>(hits) / static_cast<double>(rows.size());
}

// Ones in cells [from, to).
int Ones(std::string_view row, std::size_t from, std::size_t to) {
    int n = 0;
    for (std::size_t i = from; i < to; ++i) n += row[i] == '1';
    return n;
}

std::string Percent(double share) { return std::to_string(static_cast<int>(std::lround(100.0 * share))) + " %"; }

std::string Bits(double frameBits) {
    char text[16];
    std::snprintf(text, sizeof text, "%g", frameBits);
    return text;
}

std::string Ordinal(int n) {
    static constexpr const char* kNames[] = {"", "1st", "2nd", "3rd", "4th", "5th", "6th", "7th", "8th", "9th", "10th"};
    return n >= 1 && n <= 10 ? kNames[n] : std::to_string(n) + "th";
}

FrameModel Layout(const FrameModel& like, int dataBits, bool parity, double stopBits) {
    FrameModel m = like;
    m.dataBits = dataBits;
    m.parityBit = parity;
    m.stopBits = stopBits;
    return m;
}

}  // namespace

FrameModel WidestAsciiLayout(double frameBits) {
    FrameModel m;
    // Lead bits 10 (8 data and parity) leave 1 … 2 stop bits from 11 bits on,
    // 9 from 10, 8 (7 data) below.
    const int lead = frameBits >= 11.0 ? 10 : (frameBits >= 10.0 ? 9 : 8);
    m.dataBits = lead == 8 ? 7 : 8;
    m.parityBit = lead == 10;
    m.stopBits = frameBits - lead;
    return m;
}

FrameCode ChooseAsciiCode(const std::string& rows, const FrameModel& widest) {
    const int lead = widest.LeadBits();
    const double frameBits = widest.FrameBitCount();
    const std::vector<std::string_view> decided = DecidedRows(rows, static_cast<std::size_t>(widest.Cells()));
    const std::string head = Bits(frameBits) + "-bit frames";
    FrameCode out;
    out.layout = widest;
    out.code.code = widest.dataBits == 8 ? TextCode::Ascii8 : TextCode::Ascii7;
    if (lead == 8) {
        out.reason = head + ": 7 data bits, no parity bit, " + Bits(widest.stopBits) +
                     (widest.stopBits == 1.0 ? " stop bit" : " stop bits");
        return out;
    }
    // The last lead bit (cell lead − 1) mark in most frames, and at least as
    // often as it would be a parity bit: it is a stop bit, and the frame has
    // one lead bit fewer. (A parity bit is mark in most frames of a short
    // text now and then; a stop bit after a parity bit is parity as well.)
    const auto last = static_cast<std::size_t>(lead - 1);
    const double mark = Share(decided, [&](std::string_view r) { return r[last] == '1'; });
    const double lastEven = Share(decided, [&](std::string_view r) { return Ones(r, 1, last + 1) % 2 == 0; });
    const double lastParity = decided.empty() ? 0.0 : std::max(lastEven, 1.0 - lastEven);
    int dataLead = lead;  // start + data + parity of the chosen layout
    std::string why;
    if (frameBits - (lead - 1) <= 2.0 && mark >= kNearlyAll && mark >= lastParity) {
        dataLead = lead - 1;
        why = "the " + Ordinal(lead - 1) + " bit after the start bit is mark in " + Percent(mark) +
              " of frames: a stop bit";
    }
    const double stopBits = frameBits - dataLead;
    // With 8 lead bits left the frame holds 7 data bits; with 9, 8 data bits
    // or 7 and a parity bit; with 10, 8 data bits and a parity bit.
    if (dataLead == 8) {
        out.layout = Layout(widest, 7, false, stopBits);
        out.code = {TextCode::Ascii7, Parity::None};
        out.reason = head + "; " + why;
        return out;
    }
    const auto parityCell = static_cast<std::size_t>(dataLead - 1);
    const double even = Share(decided, [&](std::string_view r) { return Ones(r, 1, parityCell + 1) % 2 == 0; });
    const double odd = decided.empty() ? 0.0 : 1.0 - even;
    // A parity bit holds the parity more often than chance (in noise it fails
    // in more frames than it would alone); the 8th data bit of text is 0, and
    // in a short text the parity may hold in most frames by chance: a bit
    // that is 0 at least as often as it holds the parity is data.
    const double zero = Share(decided, [&](std::string_view r) { return r[parityCell] == '0'; });
    const double parityShare = std::max(even, odd);
    const bool withParity = dataLead == 10 || (parityShare >= kMoreThanChance && parityShare > zero);
    const Parity parity = !withParity ? Parity::None : (even >= odd ? Parity::Even : Parity::Odd);
    const int dataBits = dataLead - 1 - (withParity ? 1 : 0);
    out.layout = Layout(widest, dataBits, withParity, stopBits);
    out.code = {dataBits == 8 ? TextCode::Ascii8 : TextCode::Ascii7, parity};
    const std::string bitName = "the " + Ordinal(dataLead - 1) + " bit after the start bit";
    if (withParity) {
        why += (why.empty() ? "" : "; ") + bitName + " is " + (parity == Parity::Even ? "even" : "odd") + " parity in " +
               Percent(std::max(even, odd)) + " of frames";
    } else {
        why += (why.empty() ? "" : "; ") + bitName + " is data: parity in only " + Percent(std::max(even, odd)) +
               " of frames, 0 in " + Percent(zero);
    }
    out.reason = head + "; " + why;
    return out;
}

double TextLikeShare(const std::string& rows) {
    const std::vector<std::string_view> decided = DecidedRows(rows, 8);
    return Share(decided, [](std::string_view r) {
        unsigned value = 0;
        for (std::size_t i = 7; i >= 1; --i) value = (value << 1) | (r[i] == '1' ? 1u : 0u);
        const bool letter = (value >= 'A' && value <= 'Z') || (value >= 'a' && value <= 'z');
        const bool digit = value >= '0' && value <= '9';
        return letter || digit || std::string_view(" \r\n.,:;?!'\"-()/").find(static_cast<char>(value)) != std::string_view::npos;
    });
}

}  // namespace morvane
