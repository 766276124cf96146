#pragma once
#include <atomic>

namespace morvane::cli {

/// The command-line tool's one handler of SIGINT and SIGTERM, made once in
/// main(). Either signal removes the temporaries of the output files being
/// written and then ends the program as the signal would have; while a live
/// capture listens (ListenForInterrupt), the first SIGINT only sets the flag
/// it returned, so the capture ends cleanly (a second one ends the program).
/// A signal the program was started with ignored stays ignored, except that
/// SIGINT still ends a capture that listens. The previous
/// handling returns when the object is destroyed; one object at a time.
class CliSignals {
public:
    CliSignals();
    ~CliSignals();
    CliSignals(const CliSignals&) = delete;
    CliSignals& operator=(const CliSignals&) = delete;

    /// From now on the next SIGINT sets the flag returned (cleared here)
    /// instead of ending the program, until StopListening.
    static const std::atomic<bool>& ListenForInterrupt();
    static void StopListening();
};

}  // namespace morvane::cli
