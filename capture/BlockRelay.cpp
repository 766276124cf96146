#include "capture/BlockRelay.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace morvane {

BlockRelay::BlockRelay(std::size_t blockSamples, SoundDevice::BlockHandler handler)
    : m_blockSamples(blockSamples), m_handler(std::move(handler)) {
    if (blockSamples == 0) throw std::invalid_argument("a block holds at least one sample");
    m_gather.assign(blockSamples, 0);
    for (auto& slot : m_slots) slot.assign(blockSamples, 0);
    m_delivery = std::thread(&BlockRelay::Deliver, this);
}

BlockRelay::~BlockRelay() { Stop(); }

void BlockRelay::Push(const std::int16_t* samples, std::size_t count) {
    while (count > 0) {
        const std::size_t take = std::min(count, m_blockSamples - m_gathered);
        std::memcpy(m_gather.data() + m_gathered, samples, take * sizeof(std::int16_t));
        m_gathered += take;
        samples += take;
        count -= take;
        if (m_gathered < m_blockSamples) return;
        m_gathered = 0;
        const std::size_t tail = m_tail.load(std::memory_order_relaxed);
        if (tail - m_head.load(std::memory_order_acquire) >= kSlots) {
            ++m_dropped;  // never wait on the audio thread
            continue;
        }
        std::copy(m_gather.begin(), m_gather.end(), m_slots[tail % kSlots].begin());
        m_tail.store(tail + 1, std::memory_order_release);
        m_ready.release();
    }
}

void BlockRelay::Stop() {
    if (!m_delivery.joinable()) return;
    m_quit = true;
    m_ready.release();
    m_delivery.join();
}

void BlockRelay::Deliver() {
    for (;;) {
        m_ready.acquire();
        if (m_quit) return;
        const std::size_t head = m_head.load(std::memory_order_relaxed);
        if (head == m_tail.load(std::memory_order_acquire)) continue;
        m_handler(m_slots[head % kSlots].data(), static_cast<std::int32_t>(m_blockSamples * 2));
        m_head.store(head + 1, std::memory_order_release);
    }
}

}  // namespace morvane
