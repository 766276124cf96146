#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "cli/LevelSource.h"
#include "dsp/DemodSettings.h"
#include "dsp/LevelTimeline.h"
#include "dsp/SoftWindow.h"

namespace morvane::cli {

/// Gets the whole stream so far after every block: levels, their timeline
/// and (when asked for) the windows' tone correlations; `ended` once at the
/// end, with the whole stream.
using StreamHandler = std::function<void(const std::vector<std::int32_t>& levels, const LevelTimeline& timeline,
                                         const std::vector<SoftWindow>& soft, bool ended)>;

/// The same for a handler that needs only the stream's end: `levels` and
/// `soft` hold the stream from level `base` on (the timeline describes it
/// whole).
using StreamEndHandler = std::function<void(const std::vector<std::int32_t>& levels, std::int64_t base,
                                            const LevelTimeline& timeline, const std::vector<SoftWindow>& soft,
                                            bool ended)>;
/// The first level of the stream the handler still needs.
using StreamReach = std::function<std::int64_t()>;

/// Which tones are still to be found from the sound.
struct ToneSearch {
    bool low = false;
    bool high = false;
    bool Any() const { return low || high; }
};

/// Demodulates the chosen source block by block exactly as live capture
/// does and hands the whole stream on after every block and once more at the end. When tones are to
/// be found, the first seconds of a recording or standard input are held
/// back and searched for the two tones (from 1 s on when they stand out
/// clearly, from 3 s on whatever was found, at most 10 s), what was found goes to standard error, and `demod`
/// takes them before the held samples are demodulated from the start.
/// Throws CliError (status 3) when no tones are found, CLI::ValidationError
/// for a tone search on live sound, the source's errors otherwise.
void FollowStream(const LevelSourceOptions& options, DemodSettings& demod, ToneSearch search, bool soft,
                  const StreamHandler& onStream);

/// FollowStream that keeps of a recording or standard input only the levels
/// (and correlations) from reach() on, asked after every block: an endless
/// stream runs in bounded memory. Live sound is kept whole (base 0).
void FollowStreamEnd(const LevelSourceOptions& options, DemodSettings& demod, ToneSearch search, bool soft,
                     const StreamEndHandler& onStream, const StreamReach& reach);

}  // namespace morvane::cli
