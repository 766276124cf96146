#pragma once
#include <cstdint>
#include <vector>

#include "align/TimeTrueSignal.h"
#include "dsp/LevelTimeline.h"
#include "dsp/SoftWindow.h"

namespace morvane {

/// A growing level stream seen through its timeline, laid on an even time
/// grid one stretch at a time, so that the work stays with the stretch and
/// never runs over the whole stream. `levels` may hold only the stream's
/// end: its first entry is level `base` of the stream, and level indices
/// are the stream's throughout (a level range is cut to the levels held). A
/// timeline that does not describe these levels (another length, or no
/// calls) is taken as evenly spaced windows of timeline.Window() samples
/// from sample 0.
class StreamGrid {
public:
    StreamGrid(const std::vector<std::int32_t>& levels, const LevelTimeline& timeline, std::int64_t base = 0);

    std::int32_t Window() const { return m_window; }
    /// Levels of the stream so far (base + the levels held).
    std::int64_t Levels() const { return m_base + static_cast<std::int64_t>(m_levels.size()); }
    /// The first level held.
    std::int64_t Base() const { return m_base; }
    /// First sample of level `level`'s window.
    std::int64_t StartOf(std::int64_t level) const;
    /// The first level whose window starts at `sample` or later (Levels() when none does).
    std::int64_t FirstAtOrAfter(std::int64_t sample) const;

    /// Grid points g0 ≤ g < g1 of the grid whose point 0 starts at
    /// `originSample`, each holding the level of [firstLevel, endLevel) whose
    /// window starts nearest to it (the later one on a tie), as
    /// MakeTimeTrueSignal lays a stream. The result's grid point 0 is g0.
    /// An empty level range gives silence (128).
    TimeTrueSignal Lay(std::int64_t originSample, std::int64_t g0, std::int64_t g1, std::int64_t firstLevel,
                       std::int64_t endLevel) const;

    /// Grid points (from point 0 at `originSample`) whose level no later
    /// level can change: those that start at or before the window of level
    /// endLevel − 1.
    std::int64_t SettledPoints(std::int64_t originSample, std::int64_t endLevel) const;

    /// The levels whose windows reach into samples [a, b) as a stream of
    /// their own: their timeline (true sample positions kept) and their tone
    /// correlations, cut from `soft` (one per level held, from Base() on).
    void Cut(const std::vector<SoftWindow>& soft, std::int64_t a, std::int64_t b, LevelTimeline& timeline,
             std::vector<SoftWindow>& windows) const;

private:
    const std::vector<std::int32_t>& m_levels;
    const LevelTimeline& m_timeline;
    std::int64_t m_base;
    bool m_timed;
    std::int32_t m_window;
};

}  // namespace morvane
