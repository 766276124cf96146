#include "raster/SoftSums.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace morvane {

char SoftCellDecision(double evidence) { return evidence > 0.0 ? '1' : '0'; }

void CheckSoftTrim(std::int64_t trim, std::int64_t cellSize) {
    if (trim < 0 || (cellSize >= 1 && trim > (cellSize - 1) / 2))
        throw std::invalid_argument("soft trim " + std::to_string(trim) + " leaves no window of a cell of " +
                                    std::to_string(cellSize));
}

SoftSums::SoftSums(std::int64_t cellSize, std::int64_t trim) : m_trim(trim), m_middleEnd(cellSize - trim) {
    CheckSoftTrim(trim, cellSize);
    m_head.reserve(static_cast<std::size_t>(std::min<std::int64_t>(trim, 4096)));
}

char SoftSums::Decide() {
    std::complex<double> tone1 = m_tone1, tone2 = m_tone2;
    if (m_windows <= m_trim) {
        // Too short to keep a window after trimming: summed whole.
        tone1 = tone2 = {};
        for (const SoftWindow& w : m_head) tone1 += w.Tone1(), tone2 += w.Tone2();
    }
    m_tone1 = m_tone2 = {};
    m_head.clear();
    m_windows = 0;
    return SoftCellDecision(std::norm(tone1) - std::norm(tone2));
}

}  // namespace morvane
