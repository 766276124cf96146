#pragma once
// A sound system and input for tests: blocks are fed by the test itself (on
// whatever thread it likes), or produced by a thread of the device's own.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "capture/SoundSystem.h"

namespace morvane::test {

/// What a fake device saw; outlives the device, which the capture owns.
struct FakeDeviceStats {
    std::atomic<std::int32_t> blockSize{0};
    std::atomic<bool> started{false};
    std::atomic<bool> stopped{false};
    std::atomic<int> handledNotices{0};
    std::atomic<int> delivered{0};  // blocks the producer thread handed over
    std::atomic<int> announced{0};  // of those, how many the handler took
};

class FakeDevice : public SoundDevice {
public:
    /// produce: when set, Start runs a thread that calls it for each block
    /// until Stop (it fills the block and returns its byte count).
    explicit FakeDevice(std::function<std::int32_t(std::vector<std::int16_t>&)> produce = {})
        : stats(std::make_shared<FakeDeviceStats>()), m_produce(std::move(produce)) {}
    ~FakeDevice() override { Stop(); }

    void Start(std::int32_t blockBytes, BlockHandler handler) override {
        stats->blockSize = blockBytes;
        m_handler = std::move(handler);
        stats->started = true;
        if (m_produce) m_thread = std::thread([this] { Run(); });
    }
    void Stop() override {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
        stats->stopped = true;
    }
    void BlockHandled() override { ++stats->handledNotices; }

    /// Delivers one block from the calling thread, as the device's thread
    /// would; ignored once stopped. Returns whether it was announced.
    bool Feed(std::vector<std::int16_t>& block, std::int32_t byteCount = -1) {
        if (stats->stopped) return false;
        if (byteCount < 0) byteCount = static_cast<std::int32_t>(block.size() * 2);
        return m_handler(block.data(), byteCount);
    }

    std::shared_ptr<FakeDeviceStats> stats;

private:
    void Run() {
        std::vector<std::int16_t> block(static_cast<std::size_t>(stats->blockSize) / 2);
        while (!m_stop) {
            const std::int32_t n = m_produce(block);
            ++stats->delivered;
            if (m_handler(block.data(), n)) ++stats->announced;
        }
    }

    std::function<std::int32_t(std::vector<std::int16_t>&)> m_produce;
    BlockHandler m_handler;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

class FakeSystem : public SoundSystem {
public:
    std::vector<std::optional<std::string>> names;  // one per input; nullopt: query fails
    std::optional<std::string> defaultName = "Default input";
    std::string openError;  // non-empty: OpenInput throws this
    std::function<std::int32_t(std::vector<std::int16_t>&)> produce;  // for the devices opened
    int opens = 0;
    int lastOpened = -99;
    FakeDevice* device = nullptr;  // the last device opened (owned by the capture: valid while open)
    std::shared_ptr<FakeDeviceStats> stats;  // what the last device opened saw

    int InputCount() override { return static_cast<int>(names.size()); }
    std::optional<std::string> InputName(int d) override {
        if (d == kDefaultInput) return defaultName;
        if (d < 0 || d >= InputCount()) return std::nullopt;
        return names[static_cast<std::size_t>(d)];
    }
    std::unique_ptr<SoundDevice> OpenInput(int d, const CaptureFormat&) override {
        ++opens;
        lastOpened = d;
        if (!openError.empty()) throw std::runtime_error(openError);
        auto dev = std::make_unique<FakeDevice>(produce);
        device = dev.get();
        stats = dev->stats;
        return dev;
    }
};

/// Samples of a sine tone, amplitude `peak`.
std::vector<std::int16_t> Tone(std::size_t count, double hz, double peak, std::size_t phaseStart = 0);

}  // namespace morvane::test
