#include "signallist/CSignalsFeed.h"

#include <QAction>
#include <QKeySequence>
#include <QTime>
#include <QWidget>
#include <cmath>

#include "dsp/LevelStream.h"
#include "dsp/SampleFormat.h"
#include "live/ProcessingLoop.h"
#include "signallist/CSignalMarks.h"
#include "signallist/CSignalsDlg.h"

CSignalsFeed::CSignalsFeed(const morvane::ProcessingLoop& loop, CPanoramicView& view, QWidget* parent,
                           std::function<void(int, int)> chosen)
    : m_loop(loop), m_view(view), m_parent(parent), m_chosen(std::move(chosen)),
      m_worker(std::make_unique<morvane::ScannerWorker>([this] {
          // The worker's thread: only post; the news is taken on the window's.
          QMetaObject::invokeMethod(&m_context, [this] { ShowFound(); }, Qt::QueuedConnection);
      })) {
    m_action = new QAction(QStringLiteral("Si&gnals"), parent);
    m_action->setObjectName(QStringLiteral("signalsAction"));
    m_action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    QObject::connect(m_action, &QAction::triggered, &m_context, [this] { Show(); });
    m_marks = new CSignalMarks(view);
}

CSignalsFeed::~CSignalsFeed() = default;

void CSignalsFeed::Show() {
    if (!m_window) {
        m_window = new CSignalsDlg(m_parent);
        QObject::connect(m_window, &CSignalsDlg::signalChosen, &m_context, [this](double low, double high) {
            if (m_chosen) m_chosen(static_cast<int>(std::lround(low)), static_cast<int>(std::lround(high)));
        });
        if (m_made) m_made(*m_window);
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void CSignalsFeed::Restart(bool realTime) {
    morvane::ScannerOptions options;
    options.sampleRate = morvane::kSampleRate;
    m_worker->Restart(options, m_loop.NewSamplesStart());
    m_rows.Clear();
    m_window->Clear();
    m_marks->SetMarks({});
    m_running = true;
    m_finished = false;
    m_wallClock = realTime;
    const std::int64_t end = m_loop.NewSamplesStart() + static_cast<std::int64_t>(m_loop.NewSamples().size());
    const auto ms = static_cast<qint64>(static_cast<double>(end) * 1000.0 / morvane::kSampleRate);
    m_streamStart = QDateTime::currentDateTime().addMSecs(-ms);
}

void CSignalsFeed::Stop() {
    if (!m_running) return;
    m_running = false;
    m_worker->Restart(morvane::ScannerOptions{}, 0);  // drops what waits; the scanner starts over when shown again
    m_marks->SetMarks({});
}

void CSignalsFeed::Update(bool realTime) {
    if (!m_window || !m_window->isVisible()) {
        Stop();
        return;
    }
    const std::size_t size = m_loop.Stream().levels.size();
    const bool emptied = size < m_seenLevels;
    const bool again = m_finished && !m_loop.NewSamples().empty();
    if (!m_running || emptied || again) Restart(realTime);
    m_seenLevels = size;
    // A recording read faster than real time waits for the scanner rather
    // than piling its sound up in front of it.
    if (!realTime) m_worker->WaitBelow(kBacklogBlocks);
    m_worker->Feed(m_loop.NewSamples().data(), m_loop.NewSamples().size());
}

void CSignalsFeed::Finish() {
    if (!m_running || m_finished) return;
    m_worker->Finish();
    m_finished = true;
}

void CSignalsFeed::Settle() {
    m_worker->Drain();
    ShowFound();
}

QString CSignalsFeed::Clock(std::int64_t sample) const {
    const auto ms = static_cast<qint64>(static_cast<double>(sample) * 1000.0 / morvane::kSampleRate);
    return m_wallClock ? m_streamStart.addMSecs(ms).toString(QStringLiteral("HH:mm:ss"))
                       : QTime(0, 0).addMSecs(static_cast<int>(ms % 86400000)).toString(QStringLiteral("HH:mm:ss"));
}

void CSignalsFeed::ShowFound() {
    if (!m_window || !m_running) return;
    morvane::ScannerNews news = m_worker->Take();
    if (news.fresh) m_rows.Clear();
    m_rows.Add(std::move(news.pieces));
    m_rows.SetFollowed(news.followed);
    m_window->Show(m_rows, [this](std::int64_t sample) { return Clock(sample); });
    std::vector<SignalMark> marks;
    for (const morvane::ScannedSignal& s : news.followed)
        marks.push_back({s.lowHz, s.highHz, m_rows.BlockOfSignal(s.id), s.received});
    m_marks->SetMarks(std::move(marks));
    m_window->SetStatus(QStringLiteral("%1 listed \u00b7 %2 followed now").arg(m_rows.InToneOrder().size()).arg(news.followed.size()));
}
