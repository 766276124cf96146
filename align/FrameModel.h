#pragma once

namespace morvane {

/// The frame layout of an asynchronous 5-bit transmission on the time grid:
/// a start bit (space), five code bits least significant first, and the stop
/// element (mark) of stopBits bits; frames follow each other every `frame`
/// grid steps while the sender keys without pause.
struct FrameModel {
    double frame = 90.0;     // frame period, grid steps (levels of time)
    double bit = 12.0;       // bit length, grid steps
    double stopBits = 1.5;   // 1, 1.5 or 2
    int polarity = 1;        // +1: mark is tone 1 (levels above 128); -1: mark is tone 2
};

}  // namespace morvane
