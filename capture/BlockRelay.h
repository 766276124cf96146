#pragma once
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <semaphore>
#include <thread>
#include <vector>

#include "capture/SoundDevice.h"

namespace morvane {

/// Gathers samples that arrive in pieces of any size on a real-time audio
/// thread into whole blocks, and delivers the blocks in order on a thread of
/// its own. Push never waits: when the delivery thread is behind and all
/// slots are full, the completed block is dropped (and counted).
class BlockRelay {
public:
    static constexpr std::size_t kSlots = 4;

    /// blockSamples ≥ 1. The handler gets each whole block (writable) and its
    /// size in bytes; its result is ignored. Starts the delivery thread.
    BlockRelay(std::size_t blockSamples, SoundDevice::BlockHandler handler);
    ~BlockRelay();
    BlockRelay(const BlockRelay&) = delete;
    BlockRelay& operator=(const BlockRelay&) = delete;

    /// Producer side (one thread at a time): appends count samples.
    void Push(const std::int16_t* samples, std::size_t count);

    /// Ends delivery: when it returns no handler call runs and none follows;
    /// blocks still queued are dropped. Call only after the producer stopped
    /// pushing. Safe to call twice.
    void Stop();

    /// Whole blocks dropped because the delivery thread was behind.
    std::uint64_t Dropped() const { return m_dropped; }

private:
    void Deliver();

    std::size_t m_blockSamples;
    SoundDevice::BlockHandler m_handler;
    std::vector<std::int16_t> m_gather;  // producer only
    std::size_t m_gathered = 0;
    std::array<std::vector<std::int16_t>, kSlots> m_slots;
    std::atomic<std::size_t> m_head{0};  // next slot to deliver (delivery thread writes)
    std::atomic<std::size_t> m_tail{0};  // next slot to fill (producer writes)
    std::counting_semaphore<kSlots + 2> m_ready{0};
    std::atomic<bool> m_quit{false};
    std::atomic<std::uint64_t> m_dropped{0};
    std::thread m_delivery;
};

}  // namespace morvane
