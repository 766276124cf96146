#include "capture/CommandQueue.h"

namespace morvane {

void CommandQueue::Post(LoopCommand command) {
    {
        std::lock_guard lock(m_mutex);
        m_commands.push_back(command);
    }
    m_ready.notify_one();
}

std::optional<LoopCommand> CommandQueue::Next(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    if (!m_ready.wait_for(lock, timeout, [this] { return !m_commands.empty(); })) return std::nullopt;
    const LoopCommand command = m_commands.front();
    m_commands.pop_front();
    return command;
}

}  // namespace morvane

namespace morvane {

std::size_t CommandQueue::Size() {
    std::lock_guard lock(m_mutex);
    return m_commands.size();
}

}  // namespace morvane
