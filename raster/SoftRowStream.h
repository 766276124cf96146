#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "dsp/SoftWindow.h"
#include "raster/RasterParams.h"
#include "raster/ResumableRasterWalk.h"

namespace morvane {

/// Soft bit extraction for a stream that grows while it is read: each raster
/// row is given as soon as its last window has arrived, and the rows given
/// in all, with Finish's partial last row, are exactly the bit string
/// ExtractSoftBits gives for the final stream with the same trim.
class SoftRowStream {
public:
    /// Throws std::invalid_argument for a trim outside 0 … (gridWidth / 2 − 1) / 2.
    SoftRowStream(const RasterParams& params, std::int32_t trim);

    /// Walks on over `soft`, the same stream as before with windows added at
    /// its end, and appends every row completed by now to `rows`: its bit
    /// characters followed by CR LF. Returns the number of rows appended.
    std::size_t Extend(const std::vector<SoftWindow>& soft, std::string& rows);

    /// The stream has ended: appends the partial last row, if there is one.
    std::size_t Finish(std::string& rows);

private:
    void CloseCell();

    RasterParams m_params;
    std::int64_t m_cell;   // windows per cell (gridWidth / 2); below 1: no bits at all
    std::int64_t m_trim;
    ResumableRasterWalk m_walk;
    std::string m_row;
    std::vector<SoftWindow> m_inCell;  // the windows of the open cell
    bool m_rowOpen = false;
};

}  // namespace morvane
