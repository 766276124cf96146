#pragma once
#include <vector>

#include "align/FrameDecider.h"
#include "align/SoftSpans.h"
#include "align/TimeTrueSignal.h"
#include "dsp/LevelTimeline.h"
#include "dsp/SoftWindow.h"

namespace morvane {

/// The frame decider of the soft reading: every bit is decided from the
/// windows' tone correlations (`soft`, one per level of the stream
/// `timeline` describes) summed over the bit's time span on `grid`'s time
/// line (its middle 90 %, as a tracked edge may sit a little off), each
/// window weighted by the part of it inside the span: '1' when tone 1 is the
/// stronger, '0' otherwise (a silent bit reads '0'), never undecided. A
/// timeline that does not describe `soft` is taken as evenly spaced windows
/// of grid.window samples.
class SoftSpanBits : public FrameDecider {
public:
    SoftSpanBits(const TimeTrueSignal& grid, const LevelTimeline& timeline, const std::vector<SoftWindow>& soft);

    char Decide(const FrameBit& bit) const override;

private:
    const TimeTrueSignal& m_grid;
    SoftSpans m_spans;
};

}  // namespace morvane
