#pragma once
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace morvane {

/// A pair of tones whose powers alternate over time, as a keyed FSK signal's do.
struct KeyedPair {
    bool found = false;
    std::string reason;    // why none was found
    double lowHz = 0.0;
    double highHz = 0.0;
    double keying = 0.0;   // 0 … 1: how strongly the two powers alternate
    double overFloor = 0.0;  // the weaker tone's mean power over the band's median
};

/// Finds the two tones of a keyed FSK signal on the last seconds of sound:
/// peaks of the mean power spectrum (100 … 4000 Hz) taken two at a time, 85
/// … 1000 Hz apart, kept only where the share of the pair's power in each
/// tone swings from frame to frame (a steady carrier never does), the
/// strongest such pair winning. A tone given beforehand is kept and only its
/// partner searched.
class KeyedToneFinder {
public:
    /// sampleRate: 8 000 … 10 000 000 per second; window: seconds kept (≥ 1).
    KeyedToneFinder(double sampleRate, double windowSeconds = 10.0);
    void Add(float sample) { Add(&sample, 1); }
    void Add(const float* samples, std::size_t count);
    /// Seconds of sound held in the window.
    double Seconds() const;
    KeyedPair Find(std::optional<double> lowHz = std::nullopt, std::optional<double> highHz = std::nullopt) const;

private:
    void AddFrame();

    double m_rate;
    std::size_t m_size;      // transform length (about 43 ms)
    std::size_t m_lowBin, m_highBin;
    std::size_t m_maxFrames;
    std::vector<float> m_pending;
    std::vector<double> m_window;
    std::deque<std::vector<float>> m_frames;  // band power per frame, bins m_lowBin …
};

}  // namespace morvane
