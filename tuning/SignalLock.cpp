#include "tuning/SignalLock.h"

namespace morvane {

void SignalLock::Transmission(std::int64_t level) {
    m_open = true;
    m_last = level;
}

void SignalLock::Text(std::int64_t level) {
    if (m_open && level > m_last) m_last = level;
}

bool SignalLock::Locked(std::int64_t level) const { return m_open && level - m_last <= kHoldLevels; }

}  // namespace morvane
