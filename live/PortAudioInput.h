#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

#include "capture/BlockRelay.h"
#include "capture/CaptureFormat.h"
#include "live/PortAudioSession.h"
#include "capture/SoundDevice.h"

struct PaStreamCallbackTimeInfo;

namespace morvane {

/// A sound card input through PortAudio. PortAudio's real-time callback only
/// hands its small buffers to a BlockRelay, which gathers them into whole
/// blocks and delivers those on a thread of its own; the callback never waits
/// (a block is dropped when the delivery thread is far behind).
class PortAudioInput : public SoundDevice {
public:
    /// Opens PortAudio device `paIndex` for 16-bit mono input at the format's
    /// rate. Throws std::runtime_error with PortAudio's reason.
    PortAudioInput(int paIndex, const CaptureFormat& format);
    ~PortAudioInput() override;

    void Start(std::int32_t blockBytes, BlockHandler handler) override;
    void Stop() override;

    /// Blocks lost because the delivery thread fell behind.
    std::uint64_t Dropped() const { return m_relay ? m_relay->Dropped() : 0; }
    std::uint64_t DroppedBlocks() const override { return Dropped(); }
    /// Callbacks PortAudio flagged with an input overflow (sound lost before it arrived).
    std::uint64_t Overflows() const override { return m_overflows.load(std::memory_order_relaxed); }

private:
    static int OnAudio(const void* input, void* output, unsigned long frames, const PaStreamCallbackTimeInfo* timeInfo,
                       unsigned long statusFlags, void* self);

    PortAudioSession m_session;
    void* m_stream = nullptr;  // PaStream
    std::unique_ptr<BlockRelay> m_relay;
    bool m_started = false;
    std::atomic<std::uint64_t> m_overflows{0};
};

}  // namespace morvane
