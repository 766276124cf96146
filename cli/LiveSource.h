#pragma once
// The sound card as a command's level source: --live [--seconds S] [/s0 ... /s5].
// Header-only glue between the command line and the capture library.
#include <CLI/CLI.hpp>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "capture/ChooseDevice.h"
#include "live/LiveRun.h"
#include "live/PortAudioSystem.h"
#include "cli/CliError.h"
#include "cli/CliSignals.h"
#include "cli/LevelSource.h"
#include "cli/NumberChecks.h"
#include "dsp/DemodSettings.h"

namespace morvane::cli {

/// Adds --live and --seconds S; the card switches are plain words, so the
/// command accepts extra words, which CheckLiveWords then vets.
inline void AddLiveOptions(CLI::App* command, LevelSourceOptions& options) {
    command->add_flag("--live", options.live,
                      "Capture from the sound card instead of reading a recording; the words /s0 ... /s5 "
                      "choose the card");
    command->add_option("--seconds", options.seconds, "With --live: stop after S seconds (default: at Ctrl-C)")
        ->check(FiniteRange(0.0, 86400.0));
    command->allow_extras();
}

/// Extra words are allowed only as card switches with --live (REC may hold
/// one too); --seconds only with --live.
inline void CheckLiveWords(const LevelSourceOptions& options) {
    std::vector<std::string> stray;
    if (options.command != nullptr)
        for (const std::string& word : options.command->remaining())
            if (!options.live || !IsCardSwitch(word)) stray.push_back(word);
    if (!stray.empty()) throw CLI::ExtrasError(stray);
    if (!options.live) {
        if (options.command != nullptr && options.command->count("--seconds") > 0)
            throw CLI::ValidationError("--seconds", "only with --live");
        return;
    }
    if (!options.recording.empty() && !IsCardSwitch(options.recording))
        throw CLI::ValidationError("--live", "captures from the sound card; it takes no recording ('" +
                                                 options.recording + "')");
}

/// The level stream of the sound card, captured from the first block (or,
/// with `findTones`, from the block after the tones were found) until
/// --seconds have passed or Ctrl-C. The status goes to standard error.
inline std::vector<std::int32_t> LiveLevels(const LevelSourceOptions& options, const DemodSettings& demod,
                                            const LevelHandler& onLevels = {}, DemodOutputs outputs = {},
                                            const LiveRunOptions::StreamHandler& onStream = {},
                                            const LiveRunOptions::ToneSearch& findTones = {}) {
    LiveRunOptions run;
    run.onStream = onStream;
    run.findTones = findTones;
    if (onLevels)
        run.onLevels = [&onLevels](const std::int32_t* levels, std::size_t count) { onLevels(levels, count); };
    // The card switch is a word of its own: REC's place, or an extra word.
    if (!options.recording.empty()) run.arguments.push_back(options.recording);
    if (options.command != nullptr)
        for (const std::string& word : options.command->remaining()) run.arguments.push_back(word);
    run.demod = demod;
    run.seconds = options.seconds;
    // Ctrl-C ends the capture cleanly; a second Ctrl-C ends the program.
    const std::atomic<bool>& interrupted = CliSignals::ListenForInterrupt();
    try {
        std::vector<std::int32_t> levels = RunLiveCapture(MakeSoundSystem(), run, interrupted, [](const std::string& status) {
            std::fprintf(stderr, "morvane-cli: %s\n", status.c_str());
        }, outputs);
        CliSignals::StopListening();
        return levels;
    } catch (const std::runtime_error& e) {
        throw CliError(1, e.what());  // the program ends: whether Ctrl-C is heard no longer matters
    }
}

}  // namespace morvane::cli
