#include "raster/SoftRowStream.h"

#include "raster/SoftBitExtraction.h"

namespace morvane {

SoftRowStream::SoftRowStream(const RasterParams& params, std::int32_t trim)
    : m_params(params), m_cell(params.gridWidth / 2), m_trim(trim), m_walk(params) {
    CheckSoftTrim(trim, m_cell);
}

void SoftRowStream::CloseCell() {
    if (m_inCell.empty()) return;
    m_row.push_back(SoftCellOf(m_inCell, m_cell, m_trim));
    m_inCell.clear();
}

std::size_t SoftRowStream::Extend(const std::vector<SoftWindow>& soft, std::string& rows) {
    if (m_cell < 1) return 0;
    std::size_t given = 0;
    // A walk that stopped for want of windows goes on from where it stood
    // once more have come.
    for (std::int64_t index; (index = m_walk.Next(static_cast<std::int64_t>(soft.size()))) >= 0;) {
        m_rowOpen = true;
        m_inCell.push_back(soft[static_cast<std::size_t>(index)]);
        if (static_cast<std::int64_t>(m_inCell.size()) == m_cell) CloseCell();
        if (m_walk.Step()) {
            CloseCell();
            rows += m_row;
            rows += "\r\n";
            m_row.clear();
            m_rowOpen = false;
            ++given;
        }
    }
    return given;
}

std::size_t SoftRowStream::Finish(std::string& rows) {
    if (!m_rowOpen) return 0;
    CloseCell();
    rows += m_row;
    rows += "\r\n";
    m_row.clear();
    m_rowOpen = false;
    m_walk.End();
    return 1;
}

}  // namespace morvane
