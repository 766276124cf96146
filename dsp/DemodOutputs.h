#pragma once
#include <vector>

#include "dsp/LevelTimeline.h"
#include "dsp/SoftWindow.h"

namespace morvane {

/// What a demodulation hands out beside the levels, each only when asked for:
/// the windows' tone correlations (one per level, for the soft reading) and
/// the timeline (where every level lies in time). Passed down unchanged from
/// the command line and the processing loop to the capture buffers.
struct DemodOutputs {
    std::vector<SoftWindow>* soft = nullptr;
    LevelTimeline* timeline = nullptr;
};

}  // namespace morvane
