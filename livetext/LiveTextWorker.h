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

#include "dsp/LevelTimeline.h"
#include "dsp/SoftWindow.h"
#include "livetext/LiveTextPiece.h"
#include "livetext/LiveTextReader.h"
#include "receiver/Receiver.h"
#include "sitor/SitorStream.h"
#include "sitor/SitorTextFollower.h"

namespace morvane {

/// Runs a reading of the live text on a thread of its own, so that the
/// owner's thread (the window's, between two blocks) only copies what the
/// stream gained: hunting for a transmission takes milliseconds a block, too
/// long for the window's Process step. The reading is either the level
/// stream's (Restart, Feed: a LiveTextReader) or the samples' (RestartOnSamples,
/// FeedSamples: the Receiver, which keeps only what it still needs however
/// long the stream runs; RestartOnSitor, FeedSamples: SITOR-B and its NAVTEX
/// messages). The pieces found wait for Take, in order.
class LiveTextWorker {
public:
    /// `ready` is called on the worker's thread whenever pieces are waiting;
    /// it must return at once (post to the owner's thread) and may be empty.
    explicit LiveTextWorker(std::function<void()> ready = {});
    /// Stops after the job in hand; jobs not started are dropped.
    ~LiveTextWorker();
    LiveTextWorker(const LiveTextWorker&) = delete;
    LiveTextWorker& operator=(const LiveTextWorker&) = delete;

    /// Starts over on an empty stream, read with `options` (a new capture,
    /// other tones). Pieces of the stream before still waiting are dropped.
    void Restart(LiveTextOptions options);
    /// Starts over reading samples (48 kHz) with the receiver set by
    /// `options`; `firstSample` is the stream position of the first sample
    /// FeedSamples will hand on, so that the transmissions' first samples
    /// count as the level stream's timeline counts. Pieces of the stream
    /// before still waiting are dropped; the receiver's errors (tones out of
    /// range) come through Error().
    void RestartOnSamples(ReceiverOptions options, std::int64_t firstSample = 0);
    /// Starts over reading SITOR-B from the samples (48 kHz): the tones
    /// found as soon as they show, each run and each NAVTEX message under a
    /// header of its own (AppendSitorPieces). `firstSample` as for
    /// RestartOnSamples.
    void RestartOnSitor(std::int64_t firstSample = 0);
    /// Whether the reading started last reads samples (the receiver's or SITOR-B).
    bool ReadsSamples() const { return m_samples; }
    /// Whether it reads SITOR-B.
    bool ReadsSitor() const { return m_sitorMode; }
    /// Hands on the next `count` samples of the sound (RestartOnSamples).
    /// Returns at once. Throws std::logic_error while the levels are read.
    void FeedSamples(const std::int16_t* samples, std::size_t count);
    /// Samples handed on since the last RestartOnSamples.
    std::int64_t FedSamples() const { return m_fedSamples; }
    /// Hands on what the stream gained since the last Feed or Restart:
    /// `levels`, `timeline` and (when the decider reads correlations) `soft`
    /// are the whole stream so far, the same stream with more at its end
    /// (`soft` is not read otherwise and may be empty). Returns at once; does
    /// nothing while samples are read.
    /// Throws std::invalid_argument when the stream is shorter than what was
    /// handed on (start over with Restart) or its parts are out of step.
    void Feed(const std::vector<std::int32_t>& levels, const LevelTimeline& timeline,
              const std::vector<SoftWindow>& soft);
    /// The stream has ended: what is left of it is read.
    void Finish();
    /// The pieces found since the last Take.
    std::vector<LiveTextPiece> Take();
    /// Waits until every job handed on is done (for tests and benchmarks).
    void Drain();
    /// Waits until fewer than `jobs` (≥ 1) blocks handed on wait to be read:
    /// an owner handing on faster than real time (a recording read as fast
    /// as it goes) keeps the sound waiting here bounded.
    void WaitBelow(std::size_t jobs);
    /// Levels handed on since the last Restart.
    std::size_t Fed() const { return m_fedLevels; }
    /// Why the reading stopped, when the reader threw (empty otherwise); a
    /// Restart clears it.
    std::string Error() const;

private:
    void RestartSampleReading(bool sitor, const ReceiverOptions& options, std::int64_t firstSample);

    struct Job {
        enum class Kind { Restart, Data, Finish } kind = Kind::Data;
        LiveTextOptions options;
        std::optional<ReceiverOptions> receiver;  // Restart: read the samples with these
        bool sitor = false;                       // Restart: read SITOR-B from the samples
        std::int64_t firstSample = 0;
        std::vector<std::int16_t> samples;
        std::vector<std::int32_t> levels;
        std::vector<DemodCall> calls;
        std::vector<SoftWindow> soft;
    };

    void Post(Job job);
    void Run();
    void Do(Job& job, std::vector<LiveTextPiece>& found);
    void SitorFound(std::vector<LiveTextPiece>& found);

    std::function<void()> m_ready;

    // Owner's side: how much of the stream was handed on.
    bool m_soft = false;
    bool m_samples = false;
    bool m_sitorMode = false;
    std::int64_t m_fedSamples = 0;
    std::size_t m_fedLevels = 0;
    std::size_t m_fedCalls = 0;

    // The worker's copy of the stream and its reader (worker's thread only).
    std::vector<std::int32_t> m_levels;
    LevelTimeline m_timeline;
    std::vector<SoftWindow> m_softStream;
    std::optional<LiveTextReader> m_reader;
    std::optional<Receiver> m_receiver;
    std::optional<sitor::SitorStream> m_sitor;
    sitor::SitorTextFollower m_sitorText;
    std::int64_t m_firstSample = 0;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::condition_variable m_taken;  // a job was taken off the queue
    std::deque<Job> m_jobs;
    std::vector<LiveTextPiece> m_found;
    std::uint64_t m_epoch = 0;  // counts Restarts: pieces of an earlier stream are dropped
    bool m_busy = false;
    bool m_stop = false;
    std::string m_error;
    std::thread m_thread;  // last: started once everything else exists
};

}  // namespace morvane
