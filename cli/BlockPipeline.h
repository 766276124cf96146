#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "capture/CaptureBuffers.h"
#include "dsp/DemodSettings.h"
#include "dsp/LevelStream.h"
#include "dsp/LevelTimeline.h"
#include "dsp/SoftWindow.h"

namespace morvane::cli {

/// Sound turned into levels block by block exactly as live capture with
/// capture on turns it: every device block peak-normalised on its own and
/// appended to the pending buffer, the pending samples demodulated after it
/// and the consumed bytes dropped. Either the whole stream is kept (with its
/// timeline, and the correlations when `soft`), or only the levels of the
/// newest block (constant memory whatever the sound's length).
class BlockPipeline {
public:
    BlockPipeline(const DemodSettings& demod, bool keep, bool soft);

    /// One block of at most 32 768 samples (normalised in place); returns the levels it added
    /// (possibly none), valid until the next call.
    std::span<const std::int32_t> Play(std::int16_t* samples, std::size_t count);
    /// The stream so far (when kept; otherwise the newest block's levels).
    /// After DropBefore its levels and correlations start at level Base();
    /// the timeline still describes the whole stream.
    LevelStream& Stream() { return m_stream; }
    std::int64_t Base() const { return m_base; }
    /// Drops the kept levels (and correlations) before level `level`
    /// (clamped to what is held), so that an endless stream keeps only what
    /// its reader can still reach.
    void DropBefore(std::int64_t level);

private:
    bool m_keep;
    bool m_soft;
    std::int64_t m_base = 0;  // stream index of levels[0]
    std::vector<std::int32_t> m_fresh;  // one block's levels and correlations, once the front is gone
    std::vector<SoftWindow> m_freshSoft;
    CaptureBuffers m_buffers;
    LevelStream m_stream;
};

}  // namespace morvane::cli
