#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "raster/RasterParams.h"

namespace morvane {

/// Bit extraction for a level stream that grows while it is read (a capture
/// that runs): each raster row is given as soon as its last level has
/// arrived, and the rows given in all, with Finish's partial last row,
/// are exactly the bit string ExtractBits gives for the final stream.
class BitRowStream {
public:
    explicit BitRowStream(const RasterParams& params);

    /// Walks on over `levels`, the same stream as before with levels added
    /// at its end, and appends every row completed by now to `rows`: its bit
    /// characters followed by CR LF. Returns the number of rows appended.
    std::size_t Extend(const std::vector<std::int32_t>& levels, std::string& rows);

    /// The stream has ended: appends the partial last row, if there is one.
    /// Returns the number of rows appended (0 or 1).
    std::size_t Finish(std::string& rows);

    /// Index of the next level the walk will visit (for telling how far the
    /// text lags behind the stream).
    std::int64_t NextIndex() const;

private:
    void CloseCell();

    RasterParams m_params;
    std::int64_t m_cell;    // levels per cell (gridWidth / 2); below 1: no bits at all
    float m_position;       // the walk's position, as RasterWalk keeps it
    std::int32_t m_column = 0;
    std::int64_t m_steps = 0;
    bool m_ended = false;   // the walk left the stream for good (position not usable)
    std::string m_row;      // the cells of the open row
    std::int64_t m_inCell = 0, m_ones = 0, m_zeros = 0;
    bool m_rowOpen = false;
};

}  // namespace morvane
