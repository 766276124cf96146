#include "raster/BitRowStream.h"

#include <cmath>

#include "raster/BitExtraction.h"

namespace morvane {

namespace {
constexpr float kPositionLimit = 9223372036854775808.0f;  // 2⁶³, as in the raster walk
}

BitRowStream::BitRowStream(const RasterParams& params)
    : m_params(params), m_cell(params.gridWidth / 2), m_position(static_cast<float>(params.offset)) {}

void BitRowStream::CloseCell() {
    if (m_inCell == 0) return;
    m_row.push_back(CellDecision(m_ones, m_zeros));
    m_inCell = m_ones = m_zeros = 0;
}

std::int64_t BitRowStream::NextIndex() const {
    if (m_ended || !std::isfinite(m_position) || m_position <= -1.0f || m_position >= kPositionLimit) return -1;
    return static_cast<std::int64_t>(m_position);
}

std::size_t BitRowStream::Extend(const std::vector<std::int32_t>& levels, std::string& rows) {
    if (m_cell < 1 || m_ended) return 0;
    const auto n = static_cast<std::int64_t>(levels.size());
    std::size_t given = 0;
    // The steps of WalkRaster over a stream of n levels; a walk that stopped
    // for want of levels goes on from where it stood once more have come.
    while (m_steps < n) {
        if (!std::isfinite(m_position) || m_position <= -1.0f || m_position >= kPositionLimit) {
            m_ended = true;
            break;
        }
        const auto index = static_cast<std::int64_t>(m_position);
        if (index >= n) break;
        m_rowOpen = true;
        if (levels[static_cast<std::size_t>(index)] >= 129) ++m_ones; else ++m_zeros;
        if (++m_inCell == m_cell) CloseCell();
        ++m_column;
        m_position += 1.0f;
        if (m_column == m_params.count) {
            m_column = 0;
            m_position += m_params.slant;
            CloseCell();
            rows += m_row;
            rows += "\r\n";
            m_row.clear();
            m_rowOpen = false;
            ++given;
        }
        ++m_steps;
    }
    return given;
}

std::size_t BitRowStream::Finish(std::string& rows) {
    if (!m_rowOpen) return 0;
    CloseCell();
    rows += m_row;
    rows += "\r\n";
    m_row.clear();
    m_rowOpen = false;
    m_ended = true;
    return 1;
}

}  // namespace morvane
