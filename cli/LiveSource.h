#pragma once
// The sound card as a command's level source: --live [--seconds S] [/s0 ... /s5].
// Header-only glue between the command line and the capture library.
#include <CLI/CLI.hpp>

#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "live/LiveRun.h"
#include "live/PortAudioSystem.h"
#include "live/ProgramFiles.h"
#include "cli/CliError.h"
#include "cli/LevelSource.h"
#include "cli/NumberChecks.h"
#include "dsp/DemodSettings.h"

namespace morvane::cli {

namespace live_detail {

inline std::atomic<bool> interrupted{false};

inline void OnInterrupt(int) { interrupted = true; }

/// Ctrl-C ends the capture cleanly while this lives; a second Ctrl-C ends the
/// program as usual.
class InterruptGuard {
public:
    InterruptGuard() {
        interrupted = false;
        struct sigaction action {};
        action.sa_handler = &OnInterrupt;
        action.sa_flags = SA_RESETHAND | SA_RESTART;  // the flag is polled; nothing need fail with EINTR
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_previous);
    }
    ~InterruptGuard() { sigaction(SIGINT, &m_previous, nullptr); }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    struct sigaction m_previous {};
};

/// "/s" followed by digits: a card switch word ("/s0" ... "/s5", "/s10" ...).
inline bool IsCardSwitch(std::string_view word) {
    if (word.size() < 3 || word.substr(0, 2) != "/s") return false;
    for (char c : word.substr(2))
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace live_detail

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
            if (!options.live || !live_detail::IsCardSwitch(word)) stray.push_back(word);
    if (!stray.empty()) throw CLI::ExtrasError(stray);
    if (!options.live) {
        if (options.command != nullptr && options.command->count("--seconds") > 0)
            throw CLI::ValidationError("--seconds", "only with --live");
        return;
    }
    if (!options.recording.empty() && !live_detail::IsCardSwitch(options.recording))
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
    run.commandLine = ProcessCommandLine();
    if (run.commandLine.empty()) run.commandLine = options.recording;  // a card switch, if any
    run.demod = demod;
    run.seconds = options.seconds;
    live_detail::InterruptGuard guard;
    try {
        return RunLiveCapture(MakeSoundSystem(), run, live_detail::interrupted, [](const std::string& status) {
            std::fprintf(stderr, "morvane-cli: %s\n", status.c_str());
        }, outputs);
    } catch (const std::runtime_error& e) {
        throw CliError(1, e.what());
    }
}

}  // namespace morvane::cli
