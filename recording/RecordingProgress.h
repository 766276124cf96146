#pragma once
#include <atomic>
#include <cstdint>

namespace morvane {

/// How far a recording played in place of a sound card has come, written by
/// its delivery thread and read by the window at any time.
struct RecordingProgress {
    /// 48 kHz samples the recording should give in all; -1 when unknown.
    std::atomic<std::int64_t> expected{-1};
    /// Samples handed to the capture device so far.
    std::atomic<std::int64_t> delivered{0};
    /// Set once the last block has been delivered.
    std::atomic<bool> finished{false};
};

}  // namespace morvane
