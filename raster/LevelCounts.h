#pragma once
#include <cstdint>

namespace morvane {

/// The decision for one cell of `ones` levels of 129 or more and `zeros`
/// levels below: '1' when ones / zeros ≥ 1.5, '0' when it is ≤ 0.6 (the
/// ratio in 32-bit float), ' ' otherwise and for an empty cell.
char CellDecision(std::int64_t ones, std::int64_t zeros);

/// The cell decider of the default reading (a CellDecider over levels): a
/// cell's levels are counted as high (129 or more) or low and decided by
/// CellDecision, so a cell without a clear majority stays undecided.
class LevelCounts {
public:
    using Value = std::int32_t;

    void Add(std::int32_t level, std::int64_t /*at*/) {
        if (level >= 129) ++m_ones; else ++m_zeros;
    }
    char Decide() {
        const char bit = CellDecision(m_ones, m_zeros);
        m_ones = m_zeros = 0;
        return bit;
    }

private:
    std::int64_t m_ones = 0, m_zeros = 0;
};

}  // namespace morvane
