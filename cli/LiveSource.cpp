#include "cli/LiveSource.h"

#include <atomic>
#include <cstdio>
#include <string>

#include "capture/ChooseDevice.h"
#include "cli/CliError.h"
#include "cli/CliSignals.h"
#include "cli/NumberChecks.h"
#include "live/PortAudioSystem.h"

namespace morvane::cli {

void LiveSource::AddOptions(CLI::App* command, LevelSourceOptions& options) {
    command->add_flag("--live", options.live,
                      "Capture from the sound card instead of reading a recording; the words /s0 ... /s5 "
                      "choose the card");
    command->add_option("--seconds", options.seconds, "With --live: stop after S seconds (default: at Ctrl-C)")
        ->check(FiniteRange(0.0, 86400.0));
    command->allow_extras();
}

void LiveSource::CheckWords(const LevelSourceOptions& options) {
    std::vector<std::string> stray;
    if (options.command != nullptr)
        for (const std::string& word : options.command->remaining())
            if (!options.live || !IsCardSwitch(word)) stray.push_back(word);
    if (!stray.empty()) throw CLI::ExtrasError(stray);
    if (!options.live) {
        if (options.seconds) throw CLI::ValidationError("--seconds", "only with --live");
        return;
    }
    if (!options.recording.empty() && !IsCardSwitch(options.recording))
        throw CLI::ValidationError("--live", "captures from the sound card; it takes no recording ('" +
                                                 options.recording + "')");
}

LiveSource::LiveSource(const LevelSourceOptions& options) : m_options(options) {}

std::vector<std::int32_t> LiveSource::Capture(const DemodSettings& demod, LiveRunOptions run,
                                              DemodOutputs outputs) const {
    // The card switch is a word of its own: REC's place, or an extra word.
    if (!m_options.recording.empty()) run.arguments.push_back(m_options.recording);
    if (m_options.command != nullptr)
        for (const std::string& word : m_options.command->remaining()) run.arguments.push_back(word);
    run.demod = demod;
    run.seconds = m_options.seconds.value_or(0.0);
    // Ctrl-C ends the capture cleanly; a second Ctrl-C ends the program.
    const std::atomic<bool>& interrupted = CliSignals::ListenForInterrupt();
    try {
        std::vector<std::int32_t> levels =
            RunLiveCapture(MakeSoundSystem(), run, interrupted, [](const std::string& status) {
                std::fprintf(stderr, "morvane-cli: %s\n", status.c_str());
            }, outputs);
        CliSignals::StopListening();
        return levels;
    } catch (const std::runtime_error& e) {
        throw CliError(1, e.what());  // the program ends: whether Ctrl-C is heard no longer matters
    }
}

void LiveSource::CaptureSamples(LiveRunOptions::SampleHandler onSamples) const {
    LiveRunOptions run;
    run.onSamples = std::move(onSamples);
    run.keepLevels = false;
    Capture(DemodSettings{}, std::move(run), {});
}

}  // namespace morvane::cli
