#include "livetext/LiveTextWorker.h"

#include "livetext/ReceivedPieces.h"
#include "livetext/SitorPieces.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace morvane {

LiveTextWorker::LiveTextWorker(std::function<void()> ready)
    : m_ready(std::move(ready)), m_thread([this] { Run(); }) {}

LiveTextWorker::~LiveTextWorker() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_jobs.clear();
    }
    m_wake.notify_all();
    m_thread.join();
}

void LiveTextWorker::Post(Job job) {
    {
        std::lock_guard lock(m_mutex);
        if (job.kind == Job::Kind::Restart) {
            // Nothing of the stream before matters any more.
            m_jobs.clear();
            m_found.clear();
            ++m_epoch;
        }
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void LiveTextWorker::Restart(LiveTextOptions options) {
    m_samples = false;
    m_sitorMode = false;
    m_soft = options.decider && options.decider->ReadsCorrelations();
    m_fedLevels = 0;
    m_fedCalls = 0;
    Job job;
    job.kind = Job::Kind::Restart;
    job.options = options;
    Post(std::move(job));
}

void LiveTextWorker::RestartOnSamples(ReceiverOptions options, std::int64_t firstSample) {
    RestartSampleReading(false, options, firstSample);
}

void LiveTextWorker::RestartOnSitor(std::int64_t firstSample) { RestartSampleReading(true, ReceiverOptions{}, firstSample); }

void LiveTextWorker::RestartSampleReading(bool sitor, const ReceiverOptions& options, std::int64_t firstSample) {
    m_samples = true;
    m_sitorMode = sitor;
    m_soft = false;
    m_fedLevels = 0;
    m_fedCalls = 0;
    m_fedSamples = 0;
    Job job;
    job.kind = Job::Kind::Restart;
    if (!sitor) job.receiver = options;
    job.sitor = sitor;
    job.firstSample = firstSample;
    Post(std::move(job));
}

void LiveTextWorker::SitorFound(std::vector<LiveTextPiece>& found) {
    std::vector<sitor::SitorTextPiece> pieces;
    m_sitorText.Add(m_sitor->Take(), pieces);
    AppendSitorPieces(pieces, *m_sitor, m_firstSample, found);
}

void LiveTextWorker::FeedSamples(const std::int16_t* samples, std::size_t count) {
    if (!m_samples) throw std::logic_error("the live text reads the level stream, not samples");
    if (count == 0) return;
    Job job;
    job.samples.assign(samples, samples + count);
    m_fedSamples += static_cast<std::int64_t>(count);
    Post(std::move(job));
}

void LiveTextWorker::Feed(const std::vector<std::int32_t>& levels, const LevelTimeline& timeline,
                          const std::vector<SoftWindow>& soft) {
    if (m_samples) return;
    const std::vector<DemodCall>& calls = timeline.Calls();
    if (levels.size() < m_fedLevels || calls.size() < m_fedCalls)
        throw std::invalid_argument("the live text's stream became shorter: start it over");
    if (timeline.LevelCount() != static_cast<std::int64_t>(levels.size()) ||
        (m_soft && soft.size() != levels.size()))
        throw std::invalid_argument("the live text's levels, timeline and correlations are out of step");
    if (levels.size() == m_fedLevels) return;
    Job job;
    job.levels.assign(levels.begin() + static_cast<std::ptrdiff_t>(m_fedLevels), levels.end());
    job.calls.assign(calls.begin() + static_cast<std::ptrdiff_t>(m_fedCalls), calls.end());
    if (m_soft) job.soft.assign(soft.begin() + static_cast<std::ptrdiff_t>(m_fedLevels), soft.end());
    m_fedLevels = levels.size();
    m_fedCalls = calls.size();
    Post(std::move(job));
}

void LiveTextWorker::Finish() {
    Job job;
    job.kind = Job::Kind::Finish;
    Post(std::move(job));
}

std::vector<LiveTextPiece> LiveTextWorker::Take() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_found, {});
}

void LiveTextWorker::Drain() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

void LiveTextWorker::WaitBelow(std::size_t jobs) {
    std::unique_lock lock(m_mutex);
    m_taken.wait(lock, [&] { return m_jobs.size() < std::max<std::size_t>(jobs, 1); });
}

std::string LiveTextWorker::Error() const {
    std::lock_guard lock(m_mutex);
    return m_error;
}

void LiveTextWorker::Do(Job& job, std::vector<LiveTextPiece>& found) {
    switch (job.kind) {
        case Job::Kind::Restart:
            m_levels.clear();
            m_timeline.Clear();
            m_softStream.clear();
            m_reader.reset();
            m_receiver.reset();
            m_sitor.reset();
            m_sitorText = sitor::SitorTextFollower();
            m_firstSample = job.firstSample;
            if (job.sitor) {
                sitor::SitorStreamOptions o;
                o.keepHunting = true;
                m_sitor.emplace(o);
            } else if (job.receiver)
                m_receiver.emplace(*job.receiver);
            else
                m_reader.emplace(job.options);
            return;
        case Job::Kind::Data:
            if (m_sitor) {
                m_sitor->Push(job.samples.data(), job.samples.size());
                SitorFound(found);
                return;
            }
            if (m_receiver) {
                m_receiver->Push(job.samples.data(), job.samples.size());
                AppendReceived(m_receiver->Take(), m_firstSample, found);
                return;
            }
            m_levels.insert(m_levels.end(), job.levels.begin(), job.levels.end());
            for (const DemodCall& call : job.calls) m_timeline.Append(call);
            m_softStream.insert(m_softStream.end(), job.soft.begin(), job.soft.end());
            if (m_reader) m_reader->Extend(m_levels, m_timeline, m_softStream, found);
            return;
        case Job::Kind::Finish:
            if (m_sitor) {
                m_sitor->Finish();
                SitorFound(found);
                std::vector<sitor::SitorTextPiece> rest;
                m_sitorText.Finish(rest);
                AppendSitorPieces(rest, *m_sitor, m_firstSample, found);
                m_sitor.reset();
                m_sitorText = sitor::SitorTextFollower();
            }
            if (m_receiver) {
                m_receiver->Finish();
                AppendReceived(m_receiver->Take(), m_firstSample, found);
                m_receiver.reset();
            }
            if (m_reader) m_reader->Finish(m_levels, m_timeline, m_softStream, found);
            m_reader.reset();
            return;
    }
}

void LiveTextWorker::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
        if (m_stop) return;
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_taken.notify_all();
        const std::uint64_t epoch = m_epoch;
        if (job.kind == Job::Kind::Restart) m_error.clear();
        m_busy = true;
        lock.unlock();

        std::vector<LiveTextPiece> found;
        std::string error;
        try {
            Do(job, found);
        } catch (const std::exception& e) {
            error = e.what();
            m_reader.reset();
            m_receiver.reset();
            m_sitor.reset();
        }

        lock.lock();
        m_busy = false;
        if (!error.empty()) m_error = error;
        const bool deliver = !found.empty() && epoch == m_epoch;
        if (deliver) m_found.insert(m_found.end(), found.begin(), found.end());
        if (m_jobs.empty()) m_idle.notify_all();
        if (deliver && m_ready) {
            lock.unlock();
            m_ready();
            lock.lock();
        }
    }
}

}  // namespace morvane
