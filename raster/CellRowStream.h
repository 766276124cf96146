#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "raster/CellWalker.h"
#include "raster/WalkReach.h"

namespace morvane {

/// Bit extraction for a stream that grows while it is read (a capture that
/// runs): each raster row is given as soon as its last value has arrived, and
/// the rows given in all, with Finish's partial last row, are exactly the bit
/// string WalkCells gives for the final stream with the same decider.
///
/// The stream comes either whole each time (Extend, the caller keeps the
/// values) or a piece at a time (Append, the values are kept here only as
/// long as a later row may still read them). One object uses one of the two.
template <CellDecider Decider>
class CellRowStream {
public:
    using Value = typename Decider::Value;

    explicit CellRowStream(const RasterParams& params, Decider decider = Decider())
        : m_walker(params, std::move(decider)), m_reach(params) {}

    /// Walks on over `values`, the same stream as before with values added
    /// at its end, and appends every row completed by now to `rows`: its
    /// cells' characters followed by CR LF. Returns the number of rows appended.
    std::size_t Extend(const std::vector<Value>& values, std::string& rows) {
        return m_walker.Walk(values.data(), 0, static_cast<std::int64_t>(values.size()), rows);
    }

    /// Walks on over `count` values that follow every value appended before,
    /// and appends every row completed by now to `rows` as Extend does.
    /// Keeps only the values from FirstNeededIndex() on, so memory stays
    /// bounded for any stream length whenever such a bound exists (see
    /// WalkReach). Returns the number of rows appended.
    std::size_t Append(const Value* values, std::size_t count, std::string& rows) {
        if (!m_walker.Reads() || m_walker.Walker().Ended()) {
            // Nothing will be read any more: the values are only counted.
            m_heldFirst += static_cast<std::int64_t>(m_held.size() + count);
            m_held.clear();
            m_held.shrink_to_fit();
            return 0;
        }
        m_held.insert(m_held.end(), values, values + count);
        const std::size_t given = m_walker.Walk(m_held.data(), m_heldFirst, Seen(), rows);
        DropUnneeded();
        return given;
    }

    /// The stream has ended: appends the partial last row, if there is one.
    /// Returns the number of rows appended (0 or 1).
    std::size_t Finish(std::string& rows) { return m_walker.Finish(rows); }

    /// Index of the next value the walk will visit (for telling how far the
    /// text lags behind the stream); −1 when it reads nothing more.
    std::int64_t NextIndex() const {
        const ResumableRasterWalk& walk = m_walker.Walker();
        if (walk.Ended() || !WalkCanRead(walk.Position())) return -1;
        return static_cast<std::int64_t>(walk.Position());
    }

    /// The lowest stream index the walk can still visit from where it stands
    /// (see WalkReach::FirstNeeded; the stream length seen so far when no
    /// value will be read any more).
    std::int64_t FirstNeededIndex() { return m_reach.FirstNeeded(m_walker.Walker(), m_walker.Reads(), Seen()); }

    /// How many values Append keeps at the moment (for tests and measuring).
    std::size_t HeldLevels() const { return m_held.size(); }

private:
    std::int64_t Seen() const { return m_heldFirst + static_cast<std::int64_t>(m_held.size()); }

    void DropUnneeded() {
        const std::int64_t keepFrom = std::min(FirstNeededIndex(), Seen());
        const std::int64_t drop = keepFrom - m_heldFirst;
        // Dropped once at least half the kept values can go, so that moving
        // the rest costs no more than one move per value appended.
        if (drop <= 0 || 2 * drop < static_cast<std::int64_t>(m_held.size())) return;
        m_held.erase(m_held.begin(), m_held.begin() + static_cast<std::ptrdiff_t>(drop));
        m_heldFirst = keepFrom;
        if (m_held.capacity() > 4 * m_held.size() + 4096) m_held.shrink_to_fit();
    }

    CellWalker<Decider> m_walker;
    WalkReach m_reach;
    // Append's values: m_held[i] is the value at index m_heldFirst + i.
    std::vector<Value> m_held;
    std::int64_t m_heldFirst = 0;
};

}  // namespace morvane
