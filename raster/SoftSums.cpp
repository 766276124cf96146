#include "raster/SoftSums.h"

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
}

char SoftSums::Decide() {
    const bool middle = m_windows > m_trim;
    const std::complex<double> tone1 = middle ? m_middle1 : m_head1;
    const std::complex<double> tone2 = middle ? m_middle2 : m_head2;
    m_head1 = m_head2 = m_middle1 = m_middle2 = {};
    m_windows = 0;
    return SoftCellDecision(std::norm(tone1) - std::norm(tone2));
}

}  // namespace morvane
