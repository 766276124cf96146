#include "cli/CliSignals.h"

#include <signal.h>

#include <cerrno>

#include "report/ReplacingFile.h"

namespace morvane::cli {

namespace {

std::atomic<bool> g_listening{false};
std::atomic<bool> g_interrupted{false};
struct sigaction g_previous[2] {};  // SIGINT, SIGTERM, as they were before

constexpr int kSignals[2] = {SIGINT, SIGTERM};

void OnSignal(int signal) {
    if (signal == SIGINT && g_listening.exchange(false)) {
        g_interrupted = true;
        return;
    }
    const struct sigaction& previous = g_previous[signal == SIGINT ? 0 : 1];
    if (previous.sa_handler == SIG_IGN) return;  // it ends nothing, so nothing is removed
    const int savedErrno = errno;
    ReplacingFile::RemoveTemporaries();
    // Delivered as soon as this handler returns, with the handling it had before.
    sigaction(signal, &previous, nullptr);
    errno = savedErrno;
    raise(signal);
}

}  // namespace

CliSignals::CliSignals() {
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    action.sa_flags = SA_RESTART;  // the interrupt flag is polled; nothing need fail with EINTR
    sigemptyset(&action.sa_mask);
    // Installed over an ignored signal too: it stays ignored (see OnSignal),
    // but a capture still hears Ctrl-C, as a background job started with
    // SIGINT ignored needs.
    for (int i = 0; i < 2; ++i) sigaction(kSignals[i], &action, &g_previous[i]);
}

CliSignals::~CliSignals() {
    StopListening();
    for (int i = 0; i < 2; ++i) sigaction(kSignals[i], &g_previous[i], nullptr);
}

const std::atomic<bool>& CliSignals::ListenForInterrupt() {
    g_interrupted = false;
    g_listening = true;
    return g_interrupted;
}

void CliSignals::StopListening() { g_listening = false; }

}  // namespace morvane::cli
