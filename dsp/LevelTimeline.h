#pragma once
#include <cstdint>
#include <vector>

namespace morvane {

/// One demodulator call as the timeline keeps it: the first level it
/// appended, the samples it dropped in front of its first window (those
/// before the rising zero crossing) and the sample position of that window.
struct DemodCall {
    std::int64_t firstLevel = 0;   // index in the level stream
    std::int64_t firstSample = 0;  // first sample of the first window, counted from the stream's first sample
    std::int32_t dropped = 0;      // samples skipped in front of the first window
    std::int32_t levelCount = 0;   // levels the call appended
};

/// Where every level of a stream lies in time. The demodulator restarts at a
/// zero crossing on every call, so the windows of successive calls are not
/// evenly spaced: levels of one call are `window` samples apart, and between
/// calls the dropped samples open a gap. The timeline records each call so
/// that the exact sample position of every level's window is known. Qt-free;
/// the live program and the recordings path keep one beside the level stream
/// and empty it together with the stream.
class LevelTimeline {
public:
    /// window: samples per level (80 at 48 kHz and 50 baud), ≥ 1.
    explicit LevelTimeline(std::int32_t window = 80);

    /// Empties the timeline and restarts the sample count at 0.
    void Clear();

    /// Records one call that started on the pending samples beginning at
    /// sample `pendingStart`, appended `levelCount` levels from `firstLevel`
    /// on and consumed `consumedBytes` bytes (even, ≥ 2 × levelCount × window).
    /// Calls that append nothing are counted in time but keep no entry.
    /// Throws std::invalid_argument when the figures contradict each other.
    void Record(std::int64_t pendingStart, std::int64_t firstLevel, std::int32_t levelCount,
                std::int32_t consumedBytes);

    /// Appends a call recorded by another timeline (a copy kept in step
    /// with it, call by call). Throws std::invalid_argument unless the call
    /// starts at LevelCount() and appends at least one level.
    void Append(const DemodCall& call);

    /// Samples per level.
    std::int32_t Window() const { return m_window; }
    /// Levels covered (the stream length the timeline describes).
    std::int64_t LevelCount() const;
    /// The calls that appended levels, in order.
    const std::vector<DemodCall>& Calls() const { return m_calls; }

    /// First sample of level `level`'s window. Levels beyond the last call
    /// continue at `window` samples each; a timeline without calls gives
    /// level × window. Negative levels give level × window too.
    std::int64_t SampleOf(std::int64_t level) const;

    /// The first level whose window starts at `sample` or later (LevelCount()
    /// when there is none).
    std::int64_t LevelAtOrAfter(std::int64_t sample) const;

private:
    std::int32_t m_window;
    std::vector<DemodCall> m_calls;
};

}  // namespace morvane
