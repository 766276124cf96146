#include "raster/BitRowStream.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "raster/BitExtraction.h"

namespace morvane {

namespace {
// Rows longer than this are not walked ahead in FirstNeededIndex: with a
// negative slant their levels are all kept.
constexpr std::int32_t kLongestRowWalkedAhead = 1 << 24;
constexpr std::int64_t kNothingNeeded = std::numeric_limits<std::int64_t>::max();

// Where the walk stands after `levels` more visits and the row's end, as it
// adds them: 1.0 per level, then the slant.
float AfterRow(float position, std::int64_t levels, float slant) {
    for (std::int64_t i = 0; i < levels; ++i) position += 1.0f;
    return position + slant;
}
}  // namespace

BitRowStream::BitRowStream(const RasterParams& params)
    : m_params(params), m_cell(params.gridWidth / 2), m_walk(params) {}

void BitRowStream::CloseCell() {
    if (m_inCell == 0) return;
    m_row.push_back(CellDecision(m_ones, m_zeros));
    m_inCell = m_ones = m_zeros = 0;
}

std::int64_t BitRowStream::NextIndex() const {
    if (m_walk.Ended() || !WalkCanRead(m_walk.Position())) return -1;
    return static_cast<std::int64_t>(m_walk.Position());
}

std::size_t BitRowStream::Extend(const std::vector<std::int32_t>& levels, std::string& rows) {
    return Walk(levels.data(), 0, static_cast<std::int64_t>(levels.size()), rows);
}

std::size_t BitRowStream::Append(const std::int32_t* levels, std::size_t count, std::string& rows) {
    if (m_cell < 1 || m_walk.Ended()) {
        // Nothing will be read any more: the levels are only counted.
        m_heldFirst += static_cast<std::int64_t>(m_held.size() + count);
        m_held.clear();
        m_held.shrink_to_fit();
        return 0;
    }
    m_held.insert(m_held.end(), levels, levels + count);
    const std::size_t given =
        Walk(m_held.data(), m_heldFirst, m_heldFirst + static_cast<std::int64_t>(m_held.size()), rows);
    DropUnneeded();
    return given;
}

void BitRowStream::DropUnneeded() {
    const auto seen = m_heldFirst + static_cast<std::int64_t>(m_held.size());
    const std::int64_t keepFrom = std::min(FirstNeededIndex(), seen);
    const std::int64_t drop = keepFrom - m_heldFirst;
    // Dropped once at least half the kept levels can go, so that moving the
    // rest costs no more than one move per level appended.
    if (drop <= 0 || 2 * drop < static_cast<std::int64_t>(m_held.size())) return;
    m_held.erase(m_held.begin(), m_held.begin() + static_cast<std::ptrdiff_t>(drop));
    m_heldFirst = keepFrom;
    if (m_held.capacity() > 4 * m_held.size() + 4096) m_held.shrink_to_fit();
}

std::int64_t BitRowStream::FirstNeededIndex() {
    const auto seen = m_heldFirst + static_cast<std::int64_t>(m_held.size());
    const float position = m_walk.Position();
    if (m_cell < 1 || m_walk.Ended() || !WalkCanRead(position)) return seen;
    const auto next = static_cast<std::int64_t>(position);
    // Without a row end, or with rows that never step back, the position only rises
    // (a NaN slant ends the walk at the row's end).
    if (m_params.count <= 0 || !(m_params.slant < 0.0f)) return next;
    if (m_boundRow != m_walk.Rows()) {
        m_boundRow = m_walk.Rows();
        // Each row start follows from the one before by the same rounded
        // additions, a non-decreasing map: once a row starts at or after the
        // one before, every later row does too. So the open row and the next
        // one bound the walk when the row after that starts no earlier.
        if (m_params.count > kLongestRowWalkedAhead) {
            m_boundNextRows = -1;
        } else {
            const float nextRow = AfterRow(position, m_params.count - m_walk.Column(), m_params.slant);
            if (!WalkCanRead(nextRow)) {
                m_boundNextRows = kNothingNeeded;  // the walk ends with the open row
            } else {
                const float rowAfter = AfterRow(nextRow, m_params.count, m_params.slant);
                m_boundNextRows =
                    !WalkCanRead(rowAfter) || rowAfter >= nextRow ? static_cast<std::int64_t>(nextRow) : -1;
            }
        }
    }
    if (m_boundNextRows < 0) return 0;  // the rows walk back: any level may be read again
    return std::min(next, m_boundNextRows);
}

std::size_t BitRowStream::Walk(const std::int32_t* data, std::int64_t first, std::int64_t n, std::string& rows) {
    if (m_cell < 1) return 0;
    std::size_t given = 0;
    // A walk that stopped for want of levels goes on from where it stood
    // once more have come.
    for (std::int64_t index; (index = m_walk.Next(n)) >= 0;) {
        if (index < first)
            throw std::logic_error("bit rows: level " + std::to_string(index) + " was read after it was dropped");
        m_rowOpen = true;
        if (data[index - first] >= 129) ++m_ones; else ++m_zeros;
        if (++m_inCell == m_cell) CloseCell();
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

std::size_t BitRowStream::Finish(std::string& rows) {
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
