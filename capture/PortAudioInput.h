#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <semaphore>
#include <thread>
#include <vector>

#include "capture/CaptureFormat.h"
#include "capture/PortAudioSession.h"
#include "capture/SoundDevice.h"

struct PaStreamCallbackTimeInfo;

namespace morvane {

/// A sound card input through PortAudio. PortAudio's real-time callback only
/// gathers its small buffers into whole blocks and hands each to a bounded
/// queue (a block is dropped when the queue is full, so the callback never
/// waits); a delivery thread of its own passes the blocks on in order.
class PortAudioInput : public SoundDevice {
public:
    /// Opens PortAudio device `paIndex` for 16-bit mono 48 kHz input (the
    /// format must say so). Throws std::runtime_error with the reason.
    PortAudioInput(int paIndex, const CaptureFormat& format);
    ~PortAudioInput() override;

    void Start(std::int32_t blockBytes, BlockHandler handler) override;
    void Stop() override;

    /// Blocks lost because the delivery thread fell behind.
    std::uint64_t Dropped() const { return m_dropped; }

private:
    static constexpr std::size_t kSlots = 4;

    static int OnAudio(const void* input, void* output, unsigned long frames, const PaStreamCallbackTimeInfo* timeInfo,
                       unsigned long statusFlags, void* self);
    void Gather(const std::int16_t* samples, std::size_t count);
    void Deliver();

    PortAudioSession m_session;
    void* m_stream = nullptr;  // PaStream
    BlockHandler m_handler;
    std::size_t m_blockSamples = 0;
    std::vector<std::int16_t> m_gather;  // audio thread only
    std::size_t m_gathered = 0;
    std::array<std::vector<std::int16_t>, kSlots> m_slots;
    std::atomic<std::size_t> m_head{0};  // next slot to deliver (delivery thread writes)
    std::atomic<std::size_t> m_tail{0};  // next slot to fill (audio thread writes)
    std::counting_semaphore<kSlots + 2> m_ready{0};
    std::atomic<bool> m_quit{false};
    std::atomic<std::uint64_t> m_dropped{0};
    std::thread m_delivery;
    bool m_started = false;
};

}  // namespace morvane
