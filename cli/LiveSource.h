#pragma once
// The sound card as a command's level source: --live [--seconds S] [/s0 ... /s5].
#include <CLI/CLI.hpp>

#include <cstdint>
#include <vector>

#include "cli/LevelSource.h"
#include "dsp/DemodOutputs.h"
#include "dsp/DemodSettings.h"
#include "live/LiveRun.h"

namespace morvane::cli {

/// Captures from the sound card through the processing loop the window uses,
/// with capture on from the first block, for the command line's --live.
class LiveSource {
public:
    /// Adds --live and --seconds S; the card switches are plain words, so the
    /// command accepts extra words, which CheckWords then vets.
    static void AddOptions(CLI::App* command, LevelSourceOptions& options);

    /// Extra words are allowed only as card switches with --live (REC may
    /// hold one too); --seconds only with --live. Usage errors otherwise.
    static void CheckWords(const LevelSourceOptions& options);

    explicit LiveSource(const LevelSourceOptions& options);

    /// The level stream of the sound card, captured from the first block (or,
    /// with `run.findTones`, from the block after the tones were found) until
    /// --seconds have passed or Ctrl-C; `run`'s handlers get the stream as it
    /// grows. The status goes to standard error. Throws CliError (status 1)
    /// when no sound input can be opened.
    std::vector<std::int32_t> Capture(const DemodSettings& demod, LiveRunOptions run, DemodOutputs outputs) const;

    /// The sound card's samples as it delivered them (before the blocks'
    /// peak normalisation), captured from the first block until --seconds
    /// have passed or Ctrl-C, handed to `onSamples` block by block; no level
    /// stream is kept. The status goes to standard error. Throws CliError
    /// (status 1) when no sound input can be opened.
    void CaptureSamples(LiveRunOptions::SampleHandler onSamples) const;

private:
    const LevelSourceOptions& m_options;
};

}  // namespace morvane::cli
