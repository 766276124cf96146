#include "align/FrameSoftBits.h"

#include "align/FrameReader.h"
#include "align/SoftSpanBits.h"

namespace morvane {

std::string FrameSoftBits(const TimeTrueSignal& signal, const LevelTimeline& timeline,
                          const std::vector<SoftWindow>& soft, const FrameModel& model,
                          const std::vector<TrackedFrame>& frames) {
    // Nothing to read: the correlations are not even unpacked.
    if (frames.empty() || !HasUsableCells(model)) return {};
    return ReadFrameBits(model, frames, SoftSpanBits(signal, timeline, soft));
}

}  // namespace morvane
