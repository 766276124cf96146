#pragma once
#include <atomic>
#include <string>
#include <thread>

namespace morvane {

/// Plays a sound file on the default output without making the caller wait.
/// A new Play stops the sound still playing. Files that cannot be read and
/// machines without sound output are silently ignored.
class SoundPlayer {
public:
    SoundPlayer() = default;
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    /// Starts playing `path` on a worker thread and returns at once. Returns
    /// false when the file does not exist (nothing is started).
    bool Play(const std::string& path);

    /// Stops the sound playing now, if any, and waits for the worker.
    void StopPlaying();

private:
    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
};

}  // namespace morvane
