#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "align/ToneFinder.h"

namespace morvane {

/// The tones of a capture for Align, found as the receiver finds them: the
/// pair of spectrum peaks whose powers alternate as a keyed signal's do, so
/// that a steady carrier is never taken for a tone. Fed every sample
/// captured (48 kHz, in time order), it reads all of the first ten seconds,
/// then the first second of every eight until 90 s, then of every 128, so that
/// a transmission early in a long capture still counts; it keeps at most the
/// last 40 s of what it read (3.8 MB). Adding only copies the samples read:
/// the spectra are computed by Find, on demand (0.3 s with 40 s kept),
/// never on the capture's thread block by block.
class CaptureTones {
public:
    /// Adds samples (signed 16-bit, 48 kHz) in time order.
    void Add(const std::int16_t* samples, std::size_t count);
    /// The keyed pair of what was read; found false, with the reason, when
    /// there is none.
    ToneEstimate Find() const;
    /// Seconds of sound kept for Find.
    double Seconds() const;

    /// Whether the sample at `position` (counted from the first added) is read.
    static bool Read(std::int64_t position);

private:
    std::deque<std::vector<std::int16_t>> m_read;  // one entry per second read, oldest first
    std::int64_t m_lastSecond = -1;                // the second m_read.back() belongs to
    std::int64_t m_seen = 0;
};

}  // namespace morvane
