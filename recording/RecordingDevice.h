#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "recording/RecordingPace.h"
#include "recording/RecordingProgress.h"
#include "recording/RecordingReader.h"
#include "capture/SoundDevice.h"

namespace morvane {

/// A recording played as if it came from a sound card: whole blocks of
/// 48 kHz 16-bit mono samples (the last one may be shorter) delivered in
/// order on a thread of its own, at the pace chosen.
class RecordingDevice : public SoundDevice {
public:
    /// Opens the recording now (throws std::runtime_error "cannot read ..."
    /// when it cannot be read). loop: start again from the beginning at the
    /// end, for ever; otherwise `ended` (may be empty) is called on the
    /// delivery thread after the last block.
    /// progress (may be null) follows the samples delivered.
    RecordingDevice(std::string path, RecordingPace pace, bool loop, std::function<void()> ended,
                    std::shared_ptr<RecordingProgress> progress = {});
    ~RecordingDevice() override;

    void Start(std::int32_t blockBytes, BlockHandler handler) override;
    void Stop() override;
    void BlockHandled() override;

private:
    void Run();
    /// Waits for the pace before the next block; false when stopping.
    bool WaitUntil(std::chrono::steady_clock::time_point when);
    bool WaitForCredit();

    std::string m_path;
    RecordingPace m_pace;
    bool m_loop;
    std::function<void()> m_ended;
    std::shared_ptr<RecordingProgress> m_progress;
    std::unique_ptr<RecordingReader> m_reader;
    BlockHandler m_handler;
    std::int32_t m_blockBytes = 0;

    std::mutex m_mutex;  // the device's own: never held while calling out
    std::condition_variable m_wake;
    bool m_stop = false;
    std::int64_t m_credits = 0;
    std::thread m_thread;
};

}  // namespace morvane
