#include "align/FrameReader.h"

namespace morvane {

std::string ReadFrameBits(const FrameModel& model, const std::vector<TrackedFrame>& frames,
                          const FrameDecider& decider) {
    std::string bits;
    if (frames.empty() || !HasUsableCells(model)) return bits;
    const std::int32_t cells = model.Cells();
    bits.reserve(frames.size() * static_cast<std::size_t>(cells + 2));
    for (const TrackedFrame& frame : frames) {
        for (std::int32_t cell = 0; cell < cells; ++cell) bits.push_back(decider.Decide({frame.start, cell, model.bit}));
        bits += "\r\n";
    }
    return bits;
}

}  // namespace morvane
