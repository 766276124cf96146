#pragma once
#include <array>
#include <complex>
#include <optional>
#include <vector>

#include "receiver/BitFilter.h"
#include "receiver/FrameSync.h"
#include "receiver/ToneAtc.h"

namespace morvane {

/// Where the two tones' envelopes and noise floors start.
struct ToneLevels {
    double envelope1 = 0.0, floor1 = 0.0, envelope2 = 0.0, floor2 = 0.0;
};

/// The envelope levels of a stretch of filtered magnitudes: the upper and
/// lower tenth of each tone's values.
ToneLevels LevelsOf(const std::vector<double>& m1, const std::vector<double>& m2);

/// The sub-blocks a chain for bits of `bitLength` sub-blocks sums before its
/// filters: as many as leave it 16 or more a bit (at least 1).
int ChainStep(double bitLength);

/// One tone pair read at one rate: the two bit filters, the threshold
/// correction and (when given a layout) the frame timing; it also measures
/// how far the tones sit from the mixers, for the tone tracking.
class ReceiverChain {
public:
    /// bitLength: sub-blocks per bit (≥ 2); step: sub-blocks summed into one
    /// before the filters (≥ 1; the filters, fading correction and frame
    /// timing then run at the lower rate). Frames, the delay and the tone
    /// error are counted in the sub-blocks pushed, whatever the step; the
    /// decision value and magnitudes stay those of the last whole step.
    /// evenRatio: as for ToneAtc (1: the tones always weighed by their levels).
    ReceiverChain(double bitLength, const ToneLevels& start, int step = 1, double evenRatio = 1.0);
    /// Sets the frame layout: leadBits (start, data, parity), stopBits, and
    /// polarity (+1: mark is tone 1).
    void SetLayout(int leadBits, double stopBits, int polarity);
    /// Adds one sub-block of each tone; returns the decision value (positive:
    /// tone 1) and appends completed frames to `out` once a layout is set.
    double Push(std::complex<double> c1, std::complex<double> c2, std::vector<SyncedFrame>& out);
    /// The frame that reads clearest with its start between `from` and `to`
    /// (sub-blocks pushed, as frames are counted), from the newest frames'
    /// worth still held; empty without a layout or where they are not held.
    std::optional<SyncedFrame> ReadBetween(double from, double to) const;
    /// The next frame looked for about `next` (sub-blocks pushed), not where
    /// the timing had placed it.
    void Resync(double next);
    /// Values the frame timing holds (the newest frames' worth).
    std::size_t Held() const { return m_sync.empty() ? 0 : m_sync.front().Held(); }
    /// The filter magnitudes of the last sub-block.
    double Magnitude1() const { return m_m1; }
    double Magnitude2() const { return m_m2; }
    /// The mean frequency error of the keyed-on tones since the last call,
    /// in cycles per sub-block; false when neither tone was on.
    bool TakeToneError(double& cyclesPerSubBlock);
    double SnrDb() const { return m_atc.SnrDb(); }
    /// Sub-blocks from a bit's middle to the filter output that holds it.
    double Delay() const { return m_filter1.Delay() * m_step + 0.5 * (m_step - 1); }

private:
    double Step(const std::array<double, 4>& c, std::vector<SyncedFrame>& out);

    int m_step;
    int m_count = 0;
    std::array<double, 4> m_sum{};  // tone 1 and 2, real and imaginary
    double m_v = 0.0;
    double m_bit;
    BitFilter m_filter1, m_filter2;
    ToneAtc m_atc;
    std::vector<FrameSync> m_sync;  // empty until a layout is set
    int m_polarity = 1;
    std::array<double, 4> m_last{};  // the last filter outputs: tone 1 and 2, real and imaginary
    std::array<double, 2> m_turn{};  // the rotations summed: real and imaginary
    double m_m1 = 0.0, m_m2 = 0.0;
};

}  // namespace morvane
