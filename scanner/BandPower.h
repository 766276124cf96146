#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace morvane {

/// The power spectrum of the sound over time, in the band where keyed pairs
/// are searched: Hann-windowed frames of about 43 ms, half overlapping, the
/// newest `windowSeconds` of them kept.
class BandPower {
public:
    /// sampleRate: 8 000 … 10 000 000 per second; lowestHz < highestHz below
    /// half the rate; windowSeconds ≥ 1. Throws std::invalid_argument otherwise.
    BandPower(double sampleRate, double lowestHz, double highestHz, double windowSeconds);
    void Push(const float* samples, std::size_t count);
    /// Frames of power; bin i of a frame is bin FirstBin() + i of the transform.
    const std::deque<std::vector<float>>& Frames() const { return m_frames; }
    std::size_t FirstBin() const { return m_firstBin; }
    double BinHz() const { return m_binHz; }
    /// Seconds from one frame to the next.
    double FrameSeconds() const;
    /// The sample (counted from the first pushed) where frame i of Frames() begins.
    std::int64_t FrameStart(std::size_t i) const;

private:
    void AddFrame();

    double m_rate, m_binHz;
    std::size_t m_size, m_firstBin, m_bins, m_maxFrames;
    std::vector<float> m_pending;
    std::vector<double> m_window;
    std::deque<std::vector<float>> m_frames;
    std::int64_t m_added = 0;  // frames made so far
};

}  // namespace morvane
