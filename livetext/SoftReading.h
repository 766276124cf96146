#pragma once
#include "livetext/LiveTextDecider.h"

namespace morvane {

/// The live text's soft reading: frames are found and followed on the
/// windows' tone correlations summed over a bit around every grid point
/// (MakeSoftTimeTrueSignal: noise that flips single levels flips far fewer
/// sums, and edges stay in place), and every bit is decided from the
/// correlations summed over its time span (FrameSoftBits).
class SoftReading : public LiveTextDecider {
public:
    bool ReadsCorrelations() const override { return true; }
    Reach ReachFor(double bit) const override;
    std::unique_ptr<Stretch> Lay(TimeTrueSignal levels, const StreamGrid& grid, const std::vector<SoftWindow>& soft,
                                 std::int64_t a, std::int64_t b, double bit) const override;
};

}  // namespace morvane
