#pragma once
#include <cstddef>
#include <cstdint>

#include "align/ToneFinder.h"
#include "receiver/KeyedToneFinder.h"

namespace morvane {

/// The tones of a capture for Align, found as the receiver finds them: the
/// pair of spectrum peaks whose powers alternate as a keyed signal's do, so
/// that a steady carrier is never taken for a tone. Fed every sample
/// captured (48 kHz, in time order), it reads all of the first ten seconds,
/// then the first second of every eight until 90 s, then of every 128, so that
/// a transmission early in a long capture still counts and an hour costs
/// little; it keeps at most the last minute of what it read.
class CaptureTones {
public:
    CaptureTones();
    /// Adds samples (signed 16-bit, 48 kHz) in time order.
    void Add(const std::int16_t* samples, std::size_t count);
    /// The keyed pair of what was read; found false, with the reason, when
    /// there is none.
    ToneEstimate Find() const;

    /// Whether the sample at `position` (counted from the first added) is read.
    static bool Read(std::int64_t position);

private:
    KeyedToneFinder m_finder;
    std::int64_t m_seen = 0;
};

}  // namespace morvane
