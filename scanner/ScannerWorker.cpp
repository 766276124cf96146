#include "scanner/ScannerWorker.h"

#include <algorithm>
#include <utility>

namespace morvane {

ScannerWorker::ScannerWorker(std::function<void()> ready) : m_ready(std::move(ready)), m_thread([this] { Run(); }) {}

ScannerWorker::~ScannerWorker() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_jobs.clear();
    }
    m_wake.notify_all();
    m_thread.join();
}

void ScannerWorker::Post(Job job) {
    {
        std::lock_guard lock(m_mutex);
        if (job.kind == Job::Kind::Restart) {
            // Nothing of the stream before matters any more.
            m_jobs.clear();
            m_news = ScannerNews{};
            m_news.fresh = true;
            ++m_epoch;
        }
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void ScannerWorker::Restart(ScannerOptions options, std::int64_t firstSample) {
    m_fed = 0;
    Job job;
    job.kind = Job::Kind::Restart;
    job.options = options;
    job.firstSample = firstSample;
    Post(std::move(job));
}

void ScannerWorker::Feed(const std::int16_t* samples, std::size_t count) {
    if (count == 0) return;
    Job job;
    job.samples.assign(samples, samples + count);
    m_fed += static_cast<std::int64_t>(count);
    Post(std::move(job));
}

void ScannerWorker::Finish() {
    Job job;
    job.kind = Job::Kind::Finish;
    Post(std::move(job));
}

ScannerNews ScannerWorker::Take() {
    std::lock_guard lock(m_mutex);
    ScannerNews out;
    out.followed = m_news.followed;  // the signals stay as they are until the next news
    std::swap(out.pieces, m_news.pieces);
    out.fresh = m_news.fresh;
    m_news.fresh = false;
    m_newsWaiting = false;
    return out;
}

void ScannerWorker::Drain() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

void ScannerWorker::WaitBelow(std::size_t jobs) {
    std::unique_lock lock(m_mutex);
    m_taken.wait(lock, [&] { return m_jobs.size() < std::max<std::size_t>(jobs, 1); });
}

std::string ScannerWorker::Error() const {
    std::lock_guard lock(m_mutex);
    return m_error;
}

void ScannerWorker::Do(Job& job, ScannerNews& news) {
    switch (job.kind) {
        case Job::Kind::Restart:
            m_scanner.reset();
            m_firstSample = job.firstSample;
            m_scanner.emplace(job.options);
            break;
        case Job::Kind::Data:
            if (m_scanner) m_scanner->Push(job.samples.data(), job.samples.size());
            break;
        case Job::Kind::Finish:
            if (m_scanner) m_scanner->Finish();
            break;
    }
    if (!m_scanner) return;
    news.pieces = m_scanner->Take();
    for (ScannedPiece& p : news.pieces)
        if (p.piece.opens) p.piece.transmission.firstSample += m_firstSample;
    news.followed = m_scanner->Signals();
    if (job.kind == Job::Kind::Finish) m_scanner.reset();
}

void ScannerWorker::Run() {
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

        ScannerNews news;
        std::string error;
        try {
            Do(job, news);
        } catch (const std::exception& e) {
            error = e.what();
            m_scanner.reset();
        }

        lock.lock();
        m_busy = false;
        if (!error.empty()) m_error = error;
        bool deliver = false;
        if (epoch == m_epoch) {
            const bool changed = !news.pieces.empty() || news.followed.size() != m_news.followed.size() ||
                                 !std::equal(news.followed.begin(), news.followed.end(), m_news.followed.begin(),
                                             [](const ScannedSignal& a, const ScannedSignal& b) {
                                                 return a.id == b.id && a.received == b.received && a.levelDb == b.levelDb;
                                             });
            m_news.pieces.insert(m_news.pieces.end(), std::make_move_iterator(news.pieces.begin()),
                                 std::make_move_iterator(news.pieces.end()));
            m_news.followed = std::move(news.followed);
            deliver = changed && !m_newsWaiting;
            if (changed) m_newsWaiting = true;
        }
        if (m_jobs.empty()) m_idle.notify_all();
        if (deliver && m_ready) {
            lock.unlock();
            m_ready();
            lock.lock();
        }
    }
}

}  // namespace morvane
