#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "capture/SoundSystem.h"
#include "dsp/DemodSettings.h"

namespace morvane {

/// A capture run without a window (the command-line tool's --live).
struct LiveRunOptions {
    std::string commandLine;  // searched for the card switches "/s0" ... "/s5"
    DemodSettings demod;      // the tones, used exactly as given
    double seconds = 0.0;     // stop after this long (0 or less: only on interrupt or end of input)
    std::string recording;    // when set: this recording plays as the card, as fast as it is processed
    /// When set: called on the calling thread with the stream so far after
    /// every processed block (text that follows the capture).
    std::function<void(const std::vector<std::int32_t>&)> afterProcess;
};

/// Runs the processing loop on the calling thread with capture on from the
/// first block: opens the card (or recording), processes every block until
/// `seconds` have passed, `interrupted` becomes true (may be set from a signal
/// handler or another thread) or a recording ends, processes the blocks
/// already announced, and closes. `onStatus` gets the status text once the
/// input is open. Returns the level stream. Throws std::runtime_error with
/// the status text when no input could be opened.
std::vector<std::int32_t> RunLiveCapture(std::unique_ptr<SoundSystem> system, const LiveRunOptions& options,
                                         const std::atomic<bool>& interrupted,
                                         const std::function<void(const std::string&)>& onStatus = {});

}  // namespace morvane
