#pragma once

namespace morvane {

/// The frame layout of an asynchronous transmission on the time grid: a
/// start bit (space), dataBits code bits least significant first (5 for
/// Baudot, 7 or 8 for ASCII), an optional parity bit, and the stop element
/// (mark) of stopBits bits; frames follow each other every `frame` grid steps
/// while the sender keys without pause.
struct FrameModel {
    double frame = 90.0;     // frame period, grid steps (levels of time)
    double bit = 12.0;       // bit length, grid steps
    double stopBits = 1.5;   // 1, 1.5 or 2
    int polarity = 1;        // +1: mark is tone 1 (levels above 128); -1: mark is tone 2
    int dataBits = 5;        // 5, 7 or 8
    bool parityBit = false;  // a parity bit follows the data bits

    /// Whole bits between the start edge and the stop element: start, data, parity.
    int LeadBits() const { return 1 + dataBits + (parityBit ? 1 : 0); }
    /// Bits of one frame: LeadBits() + stopBits.
    double FrameBitCount() const { return LeadBits() + stopBits; }
    /// Cells of one frame row: start, data, parity and one stop cell.
    int Cells() const { return LeadBits() + 1; }
};

}  // namespace morvane
