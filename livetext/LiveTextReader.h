#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "align/FrameAlignment.h"
#include "decode/TextCode.h"
#include "decode/TextFollower.h"
#include "dsp/LevelTimeline.h"
#include "dsp/SoftWindow.h"
#include "livetext/LiveTextPiece.h"

namespace morvane {

class StreamGrid;
struct TimeTrueSignal;

struct LiveTextOptions {
    float tone1Hz = 0.0F, tone2Hz = 0.0F;  // the tones the levels were demodulated with (for the header)
    std::optional<CodeSettings> code;      // nothing: the code the alignment finds; set: always this code
    bool soft = false;                     // decide bits on the soft correlations (needs `soft` in Extend)
};

/// Reads text from a level stream while it grows, by itself: hunts for a
/// steady frame structure on a few seconds of the stream at a time, then
/// follows the frames one by one on the sound's time line (pulling each
/// start toward its start bit's edge, so drift is followed) and decodes
/// them. Three badly framed frames in a row (a gap, the end, another speed
/// or code) end the transmission and the hunt starts again behind its last
/// frame. The work of a call grows with the levels added, never with the
/// stream's length, and the same stream given in one piece or block by
/// block gives the same pieces.
class LiveTextReader {
public:
    explicit LiveTextReader(LiveTextOptions options);

    /// levels, timeline, soft: the stream so far, the same stream as at
    /// the previous call with more at its end (soft may be null unless
    /// options.soft; then it holds one entry per level). `levels` (and
    /// `soft`) may leave out the stream's first `base` levels, as long as
    /// base is at most Reach() of the previous call: the timeline still
    /// describes the whole stream. Appends what became known to `out`: a
    /// Transmission piece when a transmission is found (aligned), then Text
    /// pieces as frames arrive. A stream shorter than at the previous call
    /// starts the reading over. Throws std::invalid_argument when
    /// options.soft is set and `soft` does not hold one entry per level, or
    /// when base lies beyond Reach().
    void Extend(const std::vector<std::int32_t>& levels, const LevelTimeline& timeline,
                const std::vector<SoftWindow>* soft, std::vector<LiveTextPiece>& out, std::int64_t base = 0);
    /// The stream has ended: decodes what is left. Later calls start over.
    void Finish(const std::vector<std::int32_t>& levels, const LevelTimeline& timeline,
                const std::vector<SoftWindow>* soft, std::vector<LiveTextPiece>& out, std::int64_t base = 0);

    /// The first level of the stream that later calls can still read: the
    /// levels before it may be left out from then on (bounded memory on an
    /// endless stream: the hunt window and the frames being followed).
    std::int64_t Reach() const;
    /// The stream was emptied (capture restarted) or the tones changed: starts over with `options`.
    void Reset(LiveTextOptions options);

    /// A transmission is being followed (false while hunting).
    bool Following() const { return m_following; }

private:
    struct Stretch;

    void Check(const std::vector<std::int32_t>& levels, const std::vector<SoftWindow>* soft, std::int64_t base) const;
    void Run(const StreamGrid& grid, const std::vector<SoftWindow>* soft, bool ended, std::vector<LiveTextPiece>& out);
    bool Hunt(const StreamGrid& grid, const std::vector<SoftWindow>* soft, std::int64_t end,
              std::vector<LiveTextPiece>& out);
    bool Step(const StreamGrid& grid, const std::vector<SoftWindow>* soft, bool ended);
    Stretch Around(const StreamGrid& grid, const std::vector<SoftWindow>* soft, double at) const;
    std::string Row(const Stretch& stretch, double start, bool framed) const;
    void HuntFrom(std::int64_t level);
    void NoteReach(const StreamGrid& grid);
    void Flush(std::vector<LiveTextPiece>& out);

    LiveTextOptions m_options;
    std::int64_t m_seen = 0;  // levels at the previous call
    std::int64_t m_reach = 0; // the first level later calls can read

    // Hunting: windows [max(huntFrom, huntEnd − kHuntLevels), huntEnd) in turn.
    std::int64_t m_huntFrom = 0;
    std::int64_t m_huntEnd = 0;
    std::optional<FrameModel> m_lastFound;  // what the previous hunt window found, if anything
    std::vector<double> m_lastStarts;       // ... and the sample positions of its frames

    // Following: positions are grid steps from m_origin.
    bool m_following = false;
    FrameAlignment m_alignment;
    std::int64_t m_origin = 0;  // first sample of grid point 0
    double m_last = 0.0;        // start of the last frame stepped over
    std::vector<std::string> m_doubtful;  // rows of badly framed frames since the last good one
    double m_firstDoubtful = 0.0;
    std::string m_rows;                   // rows decided but not yet decoded
    std::optional<TextFollower> m_text;
};

}  // namespace morvane
