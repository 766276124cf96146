#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "capture/SoundSystem.h"
#include "dsp/DemodSettings.h"
#include "dsp/DemodOutputs.h"
#include "dsp/LevelTimeline.h"
#include "dsp/SoftWindow.h"

namespace morvane {

/// A capture run without a window (the command-line tool's --live).
struct LiveRunOptions {
    std::vector<std::string> arguments;  // the card switch among them ("/s0" ... "/s5") picks the card
    DemodSettings demod;      // the tones, used exactly as given
    double seconds = 0.0;     // stop after this long (0 or less: only on interrupt or end of input)
    std::string recording;    // when set: this recording plays as the card, as fast as it is processed
    /// When set: gets the levels each processed block added, as they come
    /// (count may be 0), on the calling thread.
    std::function<void(const std::int32_t* levels, std::size_t count)> onLevels;
    /// When set, the tones are still to be found: capture waits, and this
    /// gets the newest block (samples) at every processed block, on the
    /// calling thread, until it returns true, having set the tones of the
    /// DemodSettings it is given. Capture starts from the next block with
    /// those tones (the sound before is not read); `demod` gives the tones
    /// it is handed first. It may throw to end the run.
    using ToneSearch = std::function<bool(const std::vector<std::int16_t>& block, DemodSettings& demod)>;
    ToneSearch findTones;
    /// When set: gets the whole stream so far after every processed block,
    /// with its timeline and the windows' tone correlations, on the calling thread.
    using StreamHandler = std::function<void(const std::vector<std::int32_t>& levels, const LevelTimeline& timeline,
                                             const std::vector<SoftWindow>& soft)>;
    StreamHandler onStream;
    /// When set: gets the samples each processed block brought, as the card
    /// delivered them (before peak normalisation), and the sample position
    /// of the first (see ProcessingLoop::NewSamples), on the calling thread.
    using SampleHandler = std::function<void(const std::int16_t* samples, std::size_t count, std::int64_t first)>;
    SampleHandler onSamples;
    /// False: only the samples are wanted; the levels are not kept from one
    /// block to the next (bounded memory however long the capture runs), and
    /// the run returns none.
    bool keepLevels = true;
};

/// Runs the processing loop on the calling thread with capture on from the
/// first block: opens the card (or recording), processes every block until
/// `seconds` have passed, `interrupted` becomes true (may be set from a signal
/// handler or another thread) or a recording ends, processes the blocks
/// already announced, and closes. `onStatus` gets the status text once the
/// input is open, and at the end "N blocks dropped (X s of sound lost)" when
/// sound was lost. Returns the level stream; the outputs asked for (soft
/// correlations, timeline) are filled, one entry per level. Throws
/// std::runtime_error with the status text when no input could be opened.
std::vector<std::int32_t> RunLiveCapture(std::unique_ptr<SoundSystem> system, const LiveRunOptions& options,
                                         const std::atomic<bool>& interrupted,
                                         const std::function<void(const std::string&)>& onStatus = {},
                                         DemodOutputs outputs = {});

}  // namespace morvane
