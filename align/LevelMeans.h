#pragma once
#include <cstdint>
#include <vector>

#include "align/FrameDecider.h"
#include "align/TimeTrueSignal.h"

namespace morvane {

/// The frame decider of the default reading: a bit is the mean level over
/// the middle 80 % of its time span on `signal`'s grid (averaging the levels
/// before deciding weighs strong windows more than weak ones), read as a
/// raster cell of that level is (LevelCounts): '1' from 129 on, '0' below.
/// Keeps a running integral of the levels (8 bytes a grid point).
class LevelMeans : public FrameDecider {
public:
    explicit LevelMeans(const TimeTrueSignal& signal);

    char Decide(const FrameBit& bit) const override;

    /// The mean level over grid positions [a, b) (a level holds on [i, i + 1),
    /// silence outside the signal), truncated toward 128 and kept within 3 … 253.
    std::int32_t MeanLevel(double a, double b) const;
    /// The bit's mean level as Decide reads it.
    std::int32_t BitLevel(const FrameBit& bit) const;

private:
    double Integral(double x) const;

    const std::vector<std::int32_t>& m_levels;
    std::vector<double> m_prefix;  // integral of the levels' distance from 128 up to each point
};

}  // namespace morvane
