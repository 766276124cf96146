#include "recording/RecordingDevice.h"

#include <chrono>
#include <stdexcept>

namespace morvane {

RecordingDevice::RecordingDevice(std::string path, RecordingPace pace, bool loop, std::function<void()> ended,
                                 std::shared_ptr<RecordingProgress> progress)
    : m_path(std::move(path)), m_pace(pace), m_loop(loop), m_ended(std::move(ended)), m_progress(std::move(progress)),
      m_reader(std::make_unique<RecordingReader>(m_path)) {
    if (m_progress) m_progress->expected = m_reader->ExpectedSamples();
}

RecordingDevice::~RecordingDevice() { Stop(); }

void RecordingDevice::Start(std::int32_t blockBytes, BlockHandler handler) {
    if (m_thread.joinable()) throw std::logic_error("recording already started");
    if (blockBytes < 2 || blockBytes % 2 != 0) throw std::invalid_argument("block size must be even and at least 2 bytes");
    m_blockBytes = blockBytes;
    m_handler = std::move(handler);
    m_thread = std::thread(&RecordingDevice::Run, this);
}

void RecordingDevice::Stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) m_thread.join();
}

void RecordingDevice::BlockHandled() {
    {
        std::lock_guard lock(m_mutex);
        ++m_credits;
    }
    m_wake.notify_all();
}

bool RecordingDevice::WaitUntil(std::chrono::steady_clock::time_point when) {
    std::unique_lock lock(m_mutex);
    m_wake.wait_until(lock, when, [this] { return m_stop; });
    return !m_stop;
}

bool RecordingDevice::WaitForCredit() {
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [this] { return m_stop || m_credits > 0; });
    if (m_stop) return false;
    --m_credits;
    return true;
}

void RecordingDevice::Run() {
    const std::size_t blockSamples = static_cast<std::size_t>(m_blockBytes) / 2;
    const auto blockTime = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(static_cast<double>(blockSamples) / RecordingReader::kRate));
    std::vector<std::int16_t> block(blockSamples);
    auto due = std::chrono::steady_clock::now();
    bool deliveredAny = false;
    for (;;) {
        std::size_t got = 0;
        try {
            got = m_reader->Read(block.data(), blockSamples);
            if (got == 0 && m_loop && deliveredAny) {
                m_reader = std::make_unique<RecordingReader>(m_path);
                got = m_reader->Read(block.data(), blockSamples);
            }
        } catch (const std::exception&) {
            got = 0;  // a read failure ends the recording like its end does
        }
        if (got == 0) break;
        std::fill(block.begin() + static_cast<std::ptrdiff_t>(got), block.end(), std::int16_t{0});
        if (m_pace == RecordingPace::RealTime) {
            // A card completes a block once it has been heard in full.
            due += blockTime;
            if (!WaitUntil(due)) return;
        } else {
            std::lock_guard lock(m_mutex);
            if (m_stop) return;
        }
        deliveredAny = true;
        if (m_progress) m_progress->delivered += static_cast<std::int64_t>(got);
        const bool announced = m_handler(block.data(), static_cast<std::int32_t>(got * 2));
        if (m_pace == RecordingPace::AfterProcess && announced && !WaitForCredit()) return;
    }
    {
        std::lock_guard lock(m_mutex);
        if (m_stop) return;
    }
    if (m_progress) m_progress->finished = true;
    if (m_ended) m_ended();
}

}  // namespace morvane
