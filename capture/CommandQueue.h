#pragma once
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

namespace morvane {

/// The commands a window-less owner of the processing loop receives.
enum class LoopCommand {
    Process,     // a block was captured: call ProcessingLoop::Process
    InputEnded,  // the recording played as a sound card has ended
};

/// A first-in first-out command queue for an owner without a window (the
/// command-line tool, tests): the device's thread posts, the owner waits.
/// Posting never waits for the owner.
class CommandQueue {
public:
    void Post(LoopCommand command);

    /// The next command, waiting up to `timeout` for one; none on timeout.
    std::optional<LoopCommand> Next(std::chrono::milliseconds timeout);

    /// Number of commands waiting now.
    std::size_t Size();

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<LoopCommand> m_commands;
};

}  // namespace morvane
