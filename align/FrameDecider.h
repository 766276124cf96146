#pragma once
#include <cstdint>

namespace morvane {

/// Where one bit of a followed frame lies on the time grid.
struct FrameBit {
    double frameStart = 0.0;  // grid position of the frame's start edge
    std::int32_t cell = 0;    // 0 the start bit, then data, parity and the stop cell
    double bit = 12.0;        // bit length, grid steps

    /// Grid position of a share of the way through the bit (0 its start, 1 its end).
    double At(double share) const { return frameStart + (cell + share) * bit; }
};

/// What decides the bits of followed frames (ReadFrameBits) from the
/// evidence it was made over: '1' for mark on tone 1, '0', or ' ' where its
/// rule leaves a bit undecided. A new decision rule is one new class.
class FrameDecider {
public:
    virtual ~FrameDecider() = default;
    virtual char Decide(const FrameBit& bit) const = 0;
};

}  // namespace morvane
