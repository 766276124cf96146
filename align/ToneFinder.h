#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace morvane {

/// The two tones of a transmission as the spectrum shows them.
struct ToneEstimate {
    bool found = false;
    std::string reason;   // why none were found
    double lowHz = 0.0;
    double highHz = 0.0;
    double contrast = 0.0;  // the weaker tone's power over the band's median power
};

/// Finds the two tones of an FSK transmission from the spectrum of the
/// sound: the strongest peak between 100 and 4000 Hz and the strongest peak
/// 85 to 1000 Hz away from it (either may be the lower). Feed it 48 kHz
/// samples in any pieces; it averages the power spectra of 4096-sample
/// stretches (all of them for the first five seconds, one in eight until about 85 s,
/// then one in 128).
class ToneFinder {
public:
    ToneFinder();
    /// Adds samples (signed 16-bit, 48 kHz) in time order.
    void Add(const std::int16_t* samples, std::size_t count);
    /// The tones of everything added so far.
    ToneEstimate Find() const;

private:
    void AddStretch(const std::int16_t* samples);

    std::vector<double> m_power;      // summed power per bin, 0 … 4095
    std::vector<std::int16_t> m_carry;
    std::int64_t m_stretches = 0;
    std::int64_t m_seen = 0;
};

}  // namespace morvane
