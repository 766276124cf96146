#pragma once
#include <vector>

#include "align/FrameModel.h"
#include "align/TimeTrueSignal.h"

namespace morvane {

/// The frame tests on the keying of a stretch of the time grid, shared by the
/// frame tracker (the whole signal) and the live text (a frame at a time as
/// the stream grows): whether a frame starting at grid position t is well
/// framed (start cell space, stop cell mark), where the start bit's edge lies
/// near t, and the start pulled a share of the way toward that edge (the
/// drift followed). Positions are grid steps of `signal`; the keying outside
/// it counts as silence. The keying is the levels' sign, not their size: how
/// far levels swing depends on the tones' distance.
class FrameEdges {
public:
    FrameEdges(const TimeTrueSignal& signal, const FrameModel& model);

    /// The start cell reads as space and the stop cell as mark, each by a clear margin.
    bool Framed(double t) const;
    /// The sharpest mark-to-space step within 0.4 bit of t; t when none is clear.
    double Edge(double t) const;
    /// t moved part of the way toward Edge(t).
    double Follow(double t) const;
    /// Whether a frame starting at t lies within the stretch up to its stop cell's read part.
    bool Fits(double t) const;

    /// The keying: +1 mark, −1 space, 0 silence, one value per grid point.
    const std::vector<double>& Keying() const { return m_values; }
    /// Grid points in the stretch.
    double Size() const { return static_cast<double>(m_values.size()); }

private:
    double Integral(double x) const;
    double Mean(double a, double b) const;

    FrameModel m_model;
    std::vector<double> m_values;  // +1 mark, −1 space, 0 silence; point i holds on [i, i + 1)
    std::vector<double> m_prefix;
};

}  // namespace morvane
