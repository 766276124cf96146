#pragma once
#include <cstdint>
#include <functional>

namespace morvane {

/// One opened sound input, delivering 16-bit mono 48 kHz blocks in order on a
/// thread of its own (never the caller's). Implementations: a sound card
/// (PortAudio), a recording played as if it were a card, and test fakes.
class SoundDevice {
public:
    /// Called for every completed block with its samples (writable in place)
    /// and its length in bytes (≤ the block size; shorter only for the last
    /// block of a recording). Returns true when the block was announced to the
    /// window, i.e. a Process will follow for it.
    using BlockHandler = std::function<bool(std::int16_t* data, std::int32_t byteCount)>;

    virtual ~SoundDevice() = default;

    /// Starts delivering blocks of blockBytes bytes (even, ≥ 2) to handler.
    /// Throws std::runtime_error with the reason when the input cannot start.
    virtual void Start(std::int32_t blockBytes, BlockHandler handler) = 0;

    /// Orderly stop: when it returns, no handler call is running and none
    /// will follow; blocks still arriving are dropped. Safe to call twice.
    virtual void Stop() = 0;

    /// Told by the processing loop each time it has handled a Process command.
    /// A recording played "as fast as the window keeps up" waits for this
    /// before its next block; live devices ignore it. Any thread.
    virtual void BlockHandled() {}

    /// Whole blocks this device dropped because its consumer was behind. Any thread.
    virtual std::uint64_t DroppedBlocks() const { return 0; }
    /// Times the sound card reported input lost before the device got it. Any thread.
    virtual std::uint64_t Overflows() const { return 0; }
};

}  // namespace morvane
