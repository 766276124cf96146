#pragma once
#include <cstdint>
#include <vector>

#include "dsp/DemodSettings.h"
#include "dsp/LevelTimeline.h"
#include "dsp/SoftWindow.h"

namespace morvane {

/// The level stream of one capture or reading, as the processing loop makes
/// it and everything else reads it: the levels (3 … 253, 128 for silence),
/// the tone energies of each level's window (one per level while they are
/// kept, else none), where every level lies in time, and the tones the
/// demodulator uses. The three sequences are emptied together.
struct LevelStream {
    std::vector<std::int32_t> levels;
    std::vector<SoftWindow> soft;
    LevelTimeline timeline;
    DemodSettings tones;

    /// Empties levels, soft windows and timeline; the tones stay.
    void Clear() {
        levels.clear();
        soft.clear();
        timeline.Clear();
    }
    /// Whether every level has its tone energies (a soft reading is possible).
    bool HasSoft() const { return soft.size() == levels.size(); }
};

}  // namespace morvane
