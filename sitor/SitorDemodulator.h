#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "receiver/BitFilter.h"
#include "sitor/SitorMixer.h"

namespace morvane::sitor {

/// Reads 100-baud two-tone keying into soft bits: each tone mixed to zero
/// frequency and summed over one bit (a filter matched to the bit), the
/// difference of the two envelopes over their slow mean, so a faded stretch
/// gives small values. The bit timing is the phase at which the matched
/// outputs are largest, measured over windows of 64 bits (with the windows
/// either side) and followed from window to window, so a sender a little off
/// the rate slips whole bits where it should.
class SitorDemodulator {
public:
    /// lowHz, highHz: the two tones (50 … 24 000 Hz, low < high); the soft bit
    /// is above 0 where the high tone is stronger. baud: 50 … 400.
    SitorDemodulator(double lowHz, double highHz, double baud = 100.0);
    void Push(const std::int16_t* samples, std::size_t count);
    /// Reads the timing of what is left and hands out the last bits.
    void Finish();
    /// Soft bits so far (about -1 … 1 each), and the sample where each bit's middle lies.
    const std::vector<float>& Bits() const { return m_bits; }
    const std::vector<std::int64_t>& BitSamples() const { return m_bitSamples; }
    /// Moves the bits made so far and their samples to the ends of `bits`
    /// and `samples` (Bits() and BitSamples() are empty after), so a reader
    /// of an endless stream keeps only what it still needs.
    void TakeBits(std::vector<float>& bits, std::vector<std::int64_t>& samples);

private:
    static constexpr int kDecimation = 24;
    static constexpr int kWindowBits = 64;
    void TimeWindow();
    std::array<double, 64> PhaseProfile(std::size_t window) const;

    SitorMixer m_low, m_high;
    BitFilter m_lowFilter, m_highFilter;
    int m_perBit;                  // sub-blocks per bit
    double m_mean = 0.0;           // slow mean of the two envelopes
    double m_meanWeight = 0.0;
    std::vector<float> m_sub;      // soft value per sub-block, from m_subBase on
    std::int64_t m_subBase = 0;
    std::int64_t m_subCount = 0;   // sub-blocks made so far
    std::size_t m_windowsDone = 0;
    std::int64_t m_nextBit = -1;   // sub-block of the next bit's middle
    int m_phase = -1;              // bit phase of the last window (sub-blocks)
    std::vector<float> m_bits;
    std::vector<std::int64_t> m_bitSamples;
};

}  // namespace morvane::sitor
