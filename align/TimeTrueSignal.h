#pragma once
#include <cstdint>
#include <vector>

#include "dsp/LevelTimeline.h"

namespace morvane {

/// The level stream laid on an even time grid: grid point i stands for the
/// window that starts `window` × i samples after the stream's first window,
/// and holds the level whose window starts nearest to that time. Within one
/// demodulator call the grid and the stream coincide; between calls the
/// dropped samples are taken out again, so positions on the grid are true to
/// the sound's time.
struct TimeTrueSignal {
    std::int64_t originSample = 0;     // first sample of grid point 0's window
    std::int32_t window = 80;          // samples per grid step
    std::vector<std::int32_t> levels;  // one level per grid point

    /// Grid position (in windows, fractional) of a sample position.
    double GridOf(double sample) const { return (sample - static_cast<double>(originSample)) / window; }
    /// Sample position of a grid position.
    double SampleOf(double grid) const { return static_cast<double>(originSample) + grid * window; }
};

/// The first sample of every level's window, n levels: as `timeline` records
/// them when it describes n levels (and holds calls), else evenly spaced
/// windows of `window` samples from sample 0.
std::vector<std::int64_t> WindowStarts(const LevelTimeline& timeline, std::int64_t n, std::int64_t window);

/// Lays `levels` on the time grid of `timeline`. A timeline that does not
/// describe exactly these levels (e.g. an empty one) is taken as evenly
/// spaced levels of 80 samples each.
TimeTrueSignal MakeTimeTrueSignal(const std::vector<std::int32_t>& levels, const LevelTimeline& timeline);

}  // namespace morvane
