#pragma once
#include <array>
#include <string>

#include "align/FrameModel.h"
#include "decode/TextCode.h"

namespace morvane {

/// Frame lengths in bits that the frame finder knows: 5-bit codes with 1,
/// 1.5 or 2 stop bits (7 … 8), ASCII with 7 or 8 data bits, with or without
/// a parity bit, and 1, 1.5 or 2 stop bits (9 … 12).
inline constexpr std::array<double, 10> kFrameBitCounts = {7.0, 7.5, 8.0, 9.0, 9.5, 10.0, 10.5, 11.0, 11.5, 12.0};

/// True for the frame lengths of the 5-bit codes (8 bits or fewer).
inline bool IsFiveBitFrame(double frameBits) { return frameBits < 8.5; }

/// The ASCII layout of `frameBits` bits (9 … 12) with the most lead bits
/// (start, data, parity) and so the fewest stop bits: every other layout of
/// that length has only mark where this one has its last lead bits. Only
/// dataBits, parityBit and stopBits are set.
FrameModel WidestAsciiLayout(double frameBits);

/// The code of ASCII frames and its layout, and what decided it.
struct FrameCode {
    FrameModel layout;  // dataBits, parityBit and stopBits of the frames (frame and bit as given)
    CodeSettings code;
    std::string reason;  // one line, e.g. "10-bit frames; the 8th bit is even parity in 97 % of frames"
};

/// Decides among the ASCII layouts of `widest.FrameBitCount()` bits from the
/// frames' bits: `rows` holds one row per frame of widest.Cells() cells as
/// sent (start, data, parity, stop), '1' for mark, CR LF after each row;
/// rows with a cell other than '0' or '1' are not counted. A bit after the
/// data that is mark in most frames (75 % or more, and at least as often as
/// it holds the parity) is a stop bit; a bit after 7 or 8 data bits that
/// makes their parity even (or odd) in more frames than chance gives (60 %)
/// and than it is 0 is a parity bit; otherwise the bits are data. `widest` is the
/// model the frames were followed with (its frame and bit are kept).
FrameCode ChooseAsciiCode(const std::string& rows, const FrameModel& widest);

/// Share (0 … 1) of the decided rows whose first seven data bits (cells 1 …
/// 7, least significant first) are a letter, digit, space, CR, LF or common
/// punctuation: what text mostly is. 0 without decided rows.
double TextLikeShare(const std::string& rows);

}  // namespace morvane
