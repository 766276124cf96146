#pragma once
#include <cstdint>
#include <vector>

#include "dsp/LevelTimeline.h"
#include "dsp/SoftWindow.h"

namespace morvane {

/// What a demodulation hands out beside the levels, each only when asked for:
/// the windows' tone correlations (one per level, for the soft reading) and
/// the timeline (where every level lies in time), and the sound itself: the
/// samples that came in since the previous call, as the device delivered
/// them (before the block's peak normalisation), for a reader that works on
/// the samples. Passed down unchanged from the command line and the
/// processing loop to the capture buffers.
struct DemodOutputs {
    std::vector<SoftWindow>* soft = nullptr;
    LevelTimeline* timeline = nullptr;
    std::vector<std::int16_t>* samples = nullptr;  // appended to
};

}  // namespace morvane
