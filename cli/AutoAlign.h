#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "align/FrameFinder.h"
#include "align/TimeTrueSignal.h"
#include "align/ToneFinder.h"
#include "cli/LevelSource.h"
#include "cli/RasterOptions.h"
#include "dsp/DemodSettings.h"
#include "dsp/LevelTimeline.h"
#include "dsp/SoftWindow.h"

namespace morvane::cli {

/// Exit status when a recording holds nothing to align.
inline constexpr int kNothingFound = 3;

/// A recording with its tones, level stream, timeline and frames found.
struct AlignedRecording {
    DemodSettings demod;       // the tones used (given or found)
    ToneEstimate tones;        // what the spectrum showed (found = false when not searched or not found)
    bool tonesSearched = false;
    std::vector<std::int32_t> levels;
    std::vector<SoftWindow> soft;  // the windows' tone correlations (only when asked for)
    LevelTimeline timeline;
    TimeTrueSignal signal;
    FrameAlignment alignment;
    std::vector<TrackedFrame> frames;
};

/// Finds the tones not given (--low and --high win one by one over what the
/// spectrum shows: the whole recording, or its first minute when they stand
/// out there; standard input is held back meanwhile), demodulates the source
/// and finds its frames. Throws CliError (exit kNothingFound) when no tones
/// stand out, CLI::ValidationError when tones must be searched in live
/// sound, the source's errors otherwise. Frames not found are not an error
/// here: see alignment.found. With `soft` the windows' tone correlations are
/// kept as well (same levels either way).
AlignedRecording AlignRecording(const LevelSourceOptions& source, const ToneOptions& tones, bool soft = false);

/// The option line that reads the recording with the plain raster.
std::string OptionLine(const AlignedRecording& r);

/// A summary of what was found, one "name: value" a line.
std::string AlignmentReport(const AlignedRecording& r);

}  // namespace morvane::cli
