#pragma once
#include <complex>
#include <cstdint>
#include <vector>

#include "dsp/SoftWindow.h"

namespace morvane {

/// The decision for one cell whose tone-1 minus tone-2 energy is `evidence`:
/// '1' above 0, '0' otherwise (a silent cell reads '0').
char SoftCellDecision(double evidence);

/// Throws std::invalid_argument when `trim` leaves no window of a full cell
/// of `cellSize` windows, or is negative (a cellSize below 1 takes any trim ≥ 0).
void CheckSoftTrim(std::int64_t trim, std::int64_t cellSize);

/// The cell decider of the soft reading (a CellDecider over the windows'
/// tone correlations): the correlations of a cell's windows are summed in
/// phase (they share one phase reference, so a steady tone adds up over the
/// cell while noise does not), `trim` windows left out at each end of a cell
/// of `cellSize` windows, and decided by SoftCellDecision: never undecided.
/// A cell too short to keep a window after trimming (at the stream's end) is
/// summed whole.
class SoftSums {
public:
    using Value = SoftWindow;

    /// Throws std::invalid_argument for a trim CheckSoftTrim refuses.
    SoftSums(std::int64_t cellSize, std::int64_t trim);

    void Add(const SoftWindow& window, std::int64_t at) {
        if (at < m_trim) {
            // Kept, for a cell that ends before its middle begins.
            m_head.push_back(window);
        } else if (at < m_middleEnd) {
            m_tone1 += window.Tone1();
            m_tone2 += window.Tone2();
        }
        m_windows = at + 1;
    }
    char Decide();

private:
    std::int64_t m_trim;
    std::int64_t m_middleEnd;  // cellSize − trim
    std::int64_t m_windows = 0;
    std::complex<double> m_tone1, m_tone2;  // summed over the middle
    std::vector<SoftWindow> m_head;         // the windows before the middle
};

}  // namespace morvane
