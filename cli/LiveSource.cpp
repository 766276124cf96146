#include "cli/LiveSource.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>

#include "cli/CliError.h"
#include "cli/NumberChecks.h"
#include "live/PortAudioSystem.h"
#include "live/ProgramFiles.h"

namespace morvane::cli {

namespace {

std::atomic<bool> g_interrupted{false};

void OnInterrupt(int) { g_interrupted = true; }

// Ctrl-C ends the capture cleanly while `capture` runs; a second Ctrl-C ends
// the program as usual. The flag is polled, so nothing need fail with EINTR.
template <typename Capture>
auto WithInterrupt(Capture capture) {
    g_interrupted = false;
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = &OnInterrupt;
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous);
    struct Restore {
        struct sigaction& previous;
        ~Restore() { sigaction(SIGINT, &previous, nullptr); }
    } restore{previous};
    return capture(g_interrupted);
}

// "/s" followed by digits: a card switch word ("/s0" ... "/s5", "/s10" ...).
bool IsCardSwitch(std::string_view word) {
    if (word.size() < 3 || word.substr(0, 2) != "/s") return false;
    for (char c : word.substr(2))
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

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
    run.commandLine = ProcessCommandLine();
    if (run.commandLine.empty()) run.commandLine = m_options.recording;  // a card switch, if any
    run.demod = demod;
    run.seconds = m_options.seconds.value_or(0.0);
    try {
        return WithInterrupt([&](const std::atomic<bool>& interrupted) {
            return RunLiveCapture(MakeSoundSystem(), run, interrupted, [](const std::string& status) {
                std::fprintf(stderr, "morvane-cli: %s\n", status.c_str());
            }, outputs);
        });
    } catch (const std::runtime_error& e) {
        throw CliError(1, e.what());
    }
}

}  // namespace morvane::cli
