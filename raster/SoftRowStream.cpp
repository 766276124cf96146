#include "raster/SoftRowStream.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <stdexcept>

#include "raster/SoftBitExtraction.h"

namespace morvane {

SoftRowStream::SoftRowStream(const RasterParams& params, std::int32_t trim)
    : m_params(params), m_cell(params.gridWidth / 2), m_trim(trim), m_walk(params) {
    if (trim < 0 || (m_cell >= 1 && trim > (m_cell - 1) / 2))
        throw std::invalid_argument("soft trim " + std::to_string(trim) + " leaves no window of a cell of " +
                                    std::to_string(m_cell));
}

void SoftRowStream::CloseCell() {
    if (m_inCell.empty()) return;
    const auto n = static_cast<std::int64_t>(m_inCell.size());
    std::int64_t first = m_trim;
    std::int64_t end = std::min(n, m_cell - m_trim);
    if (first >= end) first = 0, end = n;
    std::complex<double> tone1, tone2;
    for (std::int64_t i = first; i < end; ++i) {
        tone1 += m_inCell[static_cast<std::size_t>(i)].Tone1();
        tone2 += m_inCell[static_cast<std::size_t>(i)].Tone2();
    }
    m_row.push_back(SoftCellDecision(std::norm(tone1) - std::norm(tone2)));
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
