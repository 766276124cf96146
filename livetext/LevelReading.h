#pragma once
#include "livetext/LiveTextDecider.h"

namespace morvane {

/// The live text's default reading: frames are found and followed on the
/// levels themselves, and every bit is the mean level over its middle
/// (FrameBits, LevelMeans).
class LevelReading : public LiveTextDecider {
public:
    bool ReadsCorrelations() const override { return false; }
    Reach ReachFor(double bit) const override;
    std::unique_ptr<Stretch> Lay(TimeTrueSignal levels, const StreamGrid& grid, const std::vector<SoftWindow>& soft,
                                 std::int64_t a, std::int64_t b, double bit) const override;
};

}  // namespace morvane
