#include "align/FrameSoftBits.h"

#include "align/SoftSpans.h"
#include "raster/SoftBitExtraction.h"

namespace morvane {

namespace {
// The part of a bit whose correlations are summed: nearly the whole bit,
// a little trimmed at both ends where a tracked edge may sit off by a window.
constexpr double kSumFrom = 0.05;
constexpr double kSumTo = 0.95;
}  // namespace

std::string FrameSoftBits(const TimeTrueSignal& signal, const LevelTimeline& timeline,
                          const std::vector<SoftWindow>& soft, const FrameModel& model,
                          const std::vector<TrackedFrame>& frames) {
    std::string bits;
    if (frames.empty() || !HasUsableCells(model)) return bits;
    const SoftSpans spans(timeline, soft, signal.window);
    const std::int32_t cells = model.Cells();
    bits.reserve(frames.size() * static_cast<std::size_t>(cells + 2));
    for (const TrackedFrame& frame : frames) {
        for (std::int32_t cell = 0; cell < cells; ++cell) {
            const double a = signal.SampleOf(frame.start + (cell + kSumFrom) * model.bit);
            const double b = signal.SampleOf(frame.start + (cell + kSumTo) * model.bit);
            bits.push_back(SoftCellDecision(spans.Over(a, b).Evidence()));
        }
        bits += "\r\n";
    }
    return bits;
}

}  // namespace morvane
