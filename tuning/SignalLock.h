#pragma once
#include <cstdint>

namespace morvane {

/// Whether the live-text reading holds a transmission: locked from the
/// moment a transmission is found while its text keeps coming, until
/// kHoldLevels of the stream have passed without text (the reader gives a
/// transmission up after three badly framed frames, and says nothing more),
/// or the reading starts over. Positions are levels of the stream (600 a
/// second), as far as the stream reached when the piece came.
class SignalLock {
public:
    static constexpr std::int64_t kHoldLevels = 1800;  // 3 s

    /// A transmission was found (its header), with the stream at `level`.
    void Transmission(std::int64_t level);
    /// Text of the transmission arrived, with the stream at `level`.
    void Text(std::int64_t level);
    /// The reading starts over (a new capture or reading, other tones).
    void Restart() { *this = SignalLock(); }
    /// Whether a transmission is held with the stream now at `level`.
    bool Locked(std::int64_t level) const;

private:
    bool m_open = false;
    std::int64_t m_last = 0;
};

}  // namespace morvane
