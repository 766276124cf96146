#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "raster/CellDecider.h"
#include "raster/RasterParams.h"
#include "raster/ResumableRasterWalk.h"

namespace morvane {

/// Levels (or windows) per bit cell of a raster: gridWidth / 2; below 1 the
/// raster holds no cell.
inline std::int64_t CellSize(const RasterParams& params) { return params.gridWidth / 2; }

/// Bit extraction's one walk: visits the stream row by row as the raster walk
/// does (count, offset, slant), cuts every row into cells of CellSize(params)
/// values from its first, hands each value to the decider and appends its
/// decision once a cell is full or its row ends. A completed row is appended
/// to the caller's text as its cells' characters and CR LF. The walk stops
/// where the values given run out and goes on from there when more are given,
/// so a stream may come whole or in pieces (WalkCells, CellRowStream).
template <CellDecider Decider>
class CellWalker {
public:
    using Value = typename Decider::Value;

    CellWalker(const RasterParams& params, Decider decider)
        : m_cell(CellSize(params)), m_walk(params), m_decider(std::move(decider)) {}

    /// Walks on over the values first … n − 1 of the stream, value i at
    /// data[i − first], and appends every row completed to `rows`. Returns
    /// the number of rows appended. Throws std::logic_error when the walk
    /// reaches back before `first` (a value dropped too early).
    std::size_t Walk(const Value* data, std::int64_t first, std::int64_t n, std::string& rows) {
        if (m_cell < 1) return 0;
        std::size_t given = 0;
        for (std::int64_t index; (index = m_walk.Next(n)) >= 0;) {
            if (index < first)
                throw std::logic_error("bit rows: value " + std::to_string(index) + " was read after it was dropped");
            m_rowOpen = true;
            m_decider.Add(data[index - first], m_inCell);
            if (++m_inCell == m_cell) CloseCell();
            if (m_walk.Step()) {
                CloseRow(rows);
                ++given;
            }
        }
        return given;
    }

    /// The stream has ended: appends the partial last row, if there is one,
    /// and ends the walk. Returns the number of rows appended (0 or 1).
    std::size_t Finish(std::string& rows) {
        m_walk.End();
        if (!m_rowOpen) return 0;
        CloseRow(rows);
        return 1;
    }

    /// False when the raster holds no cell (gridWidth below 2): nothing is read.
    bool Reads() const { return m_cell >= 1; }
    /// Where the walk stands.
    const ResumableRasterWalk& Walker() const { return m_walk; }

private:
    void CloseCell() {
        if (m_inCell == 0) return;
        m_row.push_back(m_decider.Decide());
        m_inCell = 0;
    }
    void CloseRow(std::string& rows) {
        CloseCell();
        rows += m_row;
        rows += "\r\n";
        m_row.clear();
        m_rowOpen = false;
    }

    std::int64_t m_cell;
    ResumableRasterWalk m_walk;
    Decider m_decider;
    std::string m_row;  // the cells of the open row
    std::int64_t m_inCell = 0;
    bool m_rowOpen = false;
};

/// The bit string of a whole stream: one line per raster row, one character
/// per cell as `decider` decides it, each line ended by CR LF; the last line
/// may come from a partial row. Empty for an empty stream, a start outside
/// it, or a raster without cells.
template <CellDecider Decider>
std::string WalkCells(const std::vector<typename Decider::Value>& values, const RasterParams& params,
                      Decider decider) {
    std::string rows;
    CellWalker<Decider> walker(params, std::move(decider));
    walker.Walk(values.data(), 0, static_cast<std::int64_t>(values.size()), rows);
    walker.Finish(rows);
    return rows;
}

}  // namespace morvane
