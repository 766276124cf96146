#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace morvane {

/// Low-pass filters the sound and keeps every `factor`-th sample, so that
/// what lies below `passHz` comes through flat and nothing folds into it: a
/// Blackman-windowed sinc cut off at half the new rate, long enough to fall
/// to about -70 dB where sound would fold below passHz. Each output is the
/// taps' dot product with the inputs as FirDot takes it.
class Decimator {
public:
    /// sampleRate: > 0 per second; factor: 1 … 64 (1 passes every sample);
    /// passHz: 0 < passHz < sampleRate / factor / 2. Throws std::invalid_argument otherwise.
    Decimator(double sampleRate, int factor, double passHz);
    /// Appends the samples that come out (full scale ±1) to `out`.
    void Push(const std::int16_t* samples, std::size_t count, std::vector<float>& out);
    int Factor() const { return m_factor; }
    double OutputRate() const { return m_rate / m_factor; }
    std::size_t Taps() const { return m_taps.size(); }

private:
    double m_rate;
    int m_factor;
    int m_phase = 0;
    std::vector<float> m_taps;
    std::vector<float> m_history;  // the last Taps() inputs, twice over so each dot product reads one stretch
    std::size_t m_at = 0;
};

}  // namespace morvane
