#pragma once
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace morvane {

/// One character frame as read: the soft value of every bit (start, data,
/// parity, first stop bit; about +1 for a clean mark, -1 for a clean space).
struct SyncedFrame {
    double start = 0.0;         // the start edge, in sub-blocks of the filtered stream
    std::vector<double> bits;   // LeadBits() + 1 values
    bool stopOk = false;
    bool flywheel = false;      // placed by the frames before it, its own edge unseen
    double quality = 0.0;       // 0 … 1: start, stop and data margins together
    double snrDb = 0.0;         // the better tone's level on its bits over its level on the other bits
    bool inStep = false;        // starts where the frame before it placed it (back to back)
    bool markBefore = false;    // the element before the start bit (stop or rest) reads mark
    int edges = 0;              // edges inside the frame (after the start edge, to the stop bit)
    double edgeMiss = 0.0;      // their summed distance from the nearest bit boundary, in bits (0 … 0.5 each)
};

/// Bit and frame timing on the decision values: a start bit found at the
/// mark-to-space edge (or, when the stop element faded, where the frames
/// before it place it: the flywheel), moved to where the whole frame reads
/// clearest, every bit read in its middle, the stop bit checked.
class FrameSync {
public:
    /// bitLength: sub-blocks per bit (≥ 2); leadBits: start + data + parity;
    /// stopBits: 1 … 2.
    FrameSync(double bitLength, int leadBits, double stopBits);
    /// Adds the decision value of the next sub-block (positive: mark);
    /// appends the frames it completes to `out`.
    void Push(double v, std::vector<SyncedFrame>& out, double m1 = 1.0, double m2 = 1.0);
    /// The frame that reads clearest with its start between `from` and `to`
    /// (indices of the values pushed), from the values still held (the
    /// newest frames' worth); empty where they are no longer or not yet held.
    std::optional<SyncedFrame> ReadBetween(double from, double to) const;
    /// Decision values held (with each its two magnitudes).
    std::size_t Held() const { return m_v.size(); }
    /// Takes up the frames' timing anew: the next frame is looked for about
    /// `next` (an index of the values pushed, at most a few frames back).
    void Resync(double next);

private:
    double At(double index) const;
    double Magnitude(const std::deque<double>& m, double index) const;
    double SnrDb(const SyncedFrame& f) const;
    void Hunt();
    void ReadFrame(std::vector<SyncedFrame>& out);
    SyncedFrame Read(double start) const;
    double Margin(const SyncedFrame& f) const;
    void KeepClearer(SyncedFrame& best, double& bestMargin, double at) const;
    void Edges(SyncedFrame& f) const;

    double m_bit;
    int m_lead;
    double m_stop;
    std::deque<double> m_v;
    std::deque<double> m_m1, m_m2;  // the tones' filter magnitudes
    std::int64_t m_base = 0;   // index of m_v.front()
    std::int64_t m_newest = -1;
    double m_scanFrom = 0.0;
    bool m_sawMark = false;
    bool m_inFrame = false;
    bool m_flywheelStart = false;
    bool m_nearPrediction = false;
    bool m_flywheelTried = false;
    double m_start = 0.0;
    double m_predicted = -1.0;  // where the next frame should start; < 0: nowhere
};

}  // namespace morvane
