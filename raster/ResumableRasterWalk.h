#pragma once
#include <cstdint>

#include "raster/RasterParams.h"
#include "raster/RasterWalk.h"

namespace morvane {

/// The steps of WalkRaster (without a row limit) over a stream that grows
/// while it is read: the walk stops where the levels run out and goes on
/// from there once more have come, visiting exactly the levels WalkRaster
/// visits over the final stream, with the same float arithmetic.
class ResumableRasterWalk {
public:
    explicit ResumableRasterWalk(const RasterParams& params)
        : m_count(params.count), m_slant(params.slant), m_position(static_cast<float>(params.offset)) {}

    /// The index the walk reads next in a stream of n levels; −1 when it
    /// waits for more levels, or has ended for good (Ended()).
    std::int64_t Next(std::int64_t n) {
        if (m_ended || m_steps >= n) return -1;
        if (!WalkCanRead(m_position)) {
            m_ended = true;
            return -1;
        }
        const auto index = static_cast<std::int64_t>(m_position);
        return index < n ? index : -1;
    }

    /// Steps past the level Next gave. Returns true when that level completed a row.
    bool Step() {
        ++m_steps;
        ++m_column;
        m_position += 1.0f;
        if (m_column != m_count) return false;
        m_column = 0;
        m_position += m_slant;
        ++m_rows;
        return true;
    }

    /// Ends the walk for good (the stream has ended).
    void End() { m_ended = true; }
    /// The walk left the stream for good, or was ended.
    bool Ended() const { return m_ended; }
    /// Where the walk stands: its position (1.0 a level, the slant at a row's
    /// end), the column in the open row and the rows completed.
    float Position() const { return m_position; }
    std::int32_t Column() const { return m_column; }
    std::int64_t Rows() const { return m_rows; }

private:
    std::int32_t m_count;
    float m_slant;
    float m_position;
    std::int32_t m_column = 0;
    std::int64_t m_steps = 0;
    std::int64_t m_rows = 0;
    bool m_ended = false;
};

}  // namespace morvane
