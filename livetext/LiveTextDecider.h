#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "align/FrameModel.h"
#include "align/FrameTracker.h"
#include "align/TimeTrueSignal.h"
#include "dsp/SoftWindow.h"

namespace morvane {

class StreamGrid;

/// How the live text reads a stream: what it finds and follows the frames on
/// (the keying) and how it decides their bits, one stretch of the stream at
/// a time. A new decision rule is one new class (LevelReading, SoftReading).
class LiveTextDecider {
public:
    /// The evidence of one stretch of the stream, as the decider reads it.
    class Stretch {
    public:
        virtual ~Stretch() = default;
        /// The keying on the stretch's grid points: +/− as mark or space is the stronger.
        virtual const TimeTrueSignal& Keying() const = 0;
        /// The bit row of one frame on the stretch's grid (as ReadFrameBits gives it).
        virtual std::string Row(const FrameModel& model, const TrackedFrame& frame) const = 0;
    };

    /// Grid steps the evidence of a keying point reaches beyond the levels
    /// of a frame: `pad` points at each end of a stretch, `hunt` steps a hunt
    /// window must hold after a frame's last read bit, `end` steps the stream
    /// must hold after a frame's stop cell before it is read at the end.
    struct Reach {
        std::int64_t pad = 0;
        double hunt = 0.0;
        double end = 0.0;
    };

    virtual ~LiveTextDecider() = default;

    /// True when it reads the windows' tone correlations: the stream must then
    /// hold one per level.
    virtual bool ReadsCorrelations() const = 0;
    /// Its reach for frames of `bit` grid steps a bit.
    virtual Reach ReachFor(double bit) const = 0;
    /// The stretch whose levels are `levels` (laid on the time grid), with
    /// the evidence of the stream's samples [a, b) (`soft`: the stream's
    /// correlations, one per level of `grid`, when ReadsCorrelations());
    /// `bit`: grid steps a bit lasts.
    virtual std::unique_ptr<Stretch> Lay(TimeTrueSignal levels, const StreamGrid& grid,
                                         const std::vector<SoftWindow>& soft, std::int64_t a, std::int64_t b,
                                         double bit) const = 0;
};

/// The decider of the live text's "Soft decision" choice: SoftReading when
/// `soft`, else LevelReading.
std::shared_ptr<const LiveTextDecider> LiveTextDeciderFor(bool soft);

}  // namespace morvane
