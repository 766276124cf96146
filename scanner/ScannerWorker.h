#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "scanner/SignalScanner.h"

namespace morvane {

/// What the scanner found since the last Take: its pieces of text in order,
/// and the signals it follows now.
struct ScannerNews {
    std::vector<ScannedPiece> pieces;
    std::vector<ScannedSignal> followed;
    bool fresh = false;  // a Restart came since the last Take: what was shown before belongs to another stream
};

/// Runs a SignalScanner on a thread of its own, so that the owner's thread
/// (the window's, between two blocks) only copies the samples a block
/// brought: searching the band and running a receiver per signal takes
/// milliseconds a block. The news waits for Take.
class ScannerWorker {
public:
    /// `ready` is called on the worker's thread whenever news waits; it
    /// must return at once (post to the owner's thread) and may be empty.
    explicit ScannerWorker(std::function<void()> ready = {});
    /// Stops after the job in hand; jobs not started are dropped.
    ~ScannerWorker();
    ScannerWorker(const ScannerWorker&) = delete;
    ScannerWorker& operator=(const ScannerWorker&) = delete;

    /// Starts over with a scanner set by `options`; `firstSample` is the
    /// stream position of the first sample Feed will hand on, added to every
    /// transmission's first sample. News of the stream before still waiting is dropped.
    void Restart(ScannerOptions options, std::int64_t firstSample = 0);
    /// Hands on the next `count` samples (at the options' rate). Returns at once.
    void Feed(const std::int16_t* samples, std::size_t count);
    /// The stream has ended: what the receivers still hold is read.
    void Finish();
    /// What was found since the last Take.
    ScannerNews Take();
    /// Waits until every job handed on is done (tests and benchmarks).
    void Drain();
    /// Waits until fewer than `jobs` (≥ 1) blocks handed on wait to be read.
    void WaitBelow(std::size_t jobs);
    /// Samples handed on since the last Restart.
    std::int64_t Fed() const { return m_fed; }
    /// Why the scanning stopped (options out of range); empty otherwise. A Restart clears it.
    std::string Error() const;

private:
    struct Job {
        enum class Kind { Restart, Data, Finish } kind = Kind::Data;
        ScannerOptions options;
        std::int64_t firstSample = 0;
        std::vector<std::int16_t> samples;
    };

    void Post(Job job);
    void Run();
    void Do(Job& job, ScannerNews& news);

    std::function<void()> m_ready;
    std::int64_t m_fed = 0;  // owner's side

    // Worker's thread only.
    std::optional<SignalScanner> m_scanner;
    std::int64_t m_firstSample = 0;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake, m_idle, m_taken;
    std::deque<Job> m_jobs;
    ScannerNews m_news;
    bool m_newsWaiting = false;
    std::uint64_t m_epoch = 0;  // counts Restarts: news of an earlier stream is dropped
    bool m_busy = false;
    bool m_stop = false;
    std::string m_error;
    std::thread m_thread;  // last: started once everything else exists
};

}  // namespace morvane
