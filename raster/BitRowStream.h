#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "raster/RasterParams.h"
#include "raster/ResumableRasterWalk.h"

namespace morvane {

/// Bit extraction for a level stream that grows while it is read (a capture
/// that runs): each raster row is given as soon as its last level has
/// arrived, and the rows given in all, with Finish's partial last row,
/// are exactly the bit string ExtractBits gives for the final stream.
///
/// The stream comes either whole each time (Extend, the caller keeps the
/// levels) or a piece at a time (Append, the levels are kept here only as
/// long as a later row may still read them). One object uses one of the two.
class BitRowStream {
public:
    explicit BitRowStream(const RasterParams& params);

    /// Walks on over `levels`, the same stream as before with levels added
    /// at its end, and appends every row completed by now to `rows`: its bit
    /// characters followed by CR LF. Returns the number of rows appended.
    std::size_t Extend(const std::vector<std::int32_t>& levels, std::string& rows);

    /// Walks on over `count` levels that follow every level appended before,
    /// and appends every row completed by now to `rows` as Extend does.
    /// Keeps only the levels from FirstNeededIndex() on, so memory stays
    /// bounded for any stream length whenever such a bound exists (see there).
    /// Returns the number of rows appended.
    std::size_t Append(const std::int32_t* levels, std::size_t count, std::string& rows);

    /// The stream has ended: appends the partial last row, if there is one.
    /// Returns the number of rows appended (0 or 1).
    std::size_t Finish(std::string& rows);

    /// Index of the next level the walk will visit (for telling how far the
    /// text lags behind the stream).
    std::int64_t NextIndex() const;

    /// The lowest stream index the walk can still visit from where it stands.
    /// Rows that slant backwards (negative slant) may reach behind the next
    /// index; when the row starts go on falling the walk may reach back to
    /// any index, and then 0 is given (so too for rows of more than 2²⁴
    /// levels with a negative slant). Gives the stream length seen so far
    /// when no level will be read any more. Costs up to 2 × count float
    /// additions once per row for a negative slant.
    std::int64_t FirstNeededIndex();

    /// How many levels Append keeps at the moment (for tests and measuring).
    std::size_t HeldLevels() const { return m_held.size(); }

private:
    void CloseCell();
    // The walk over the levels first … n − 1, of which level i is at data[i − first].
    std::size_t Walk(const std::int32_t* data, std::int64_t first, std::int64_t n, std::string& rows);
    void DropUnneeded();

    RasterParams m_params;
    std::int64_t m_cell;    // levels per cell (gridWidth / 2); below 1: no bits at all
    ResumableRasterWalk m_walk;
    std::string m_row;      // the cells of the open row
    std::int64_t m_inCell = 0, m_ones = 0, m_zeros = 0;
    bool m_rowOpen = false;

    // Append's levels: m_held[i] is the level at index m_heldFirst + i.
    std::vector<std::int32_t> m_held;
    std::int64_t m_heldFirst = 0;
    // FirstNeededIndex's finding for the row it was last asked in.
    std::int64_t m_boundRow = -1;
    std::int64_t m_boundNextRows = 0;  // lowest index of the rows after the open one (-1: any)
};

}  // namespace morvane
