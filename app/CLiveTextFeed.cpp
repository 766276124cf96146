#include "app/CLiveTextFeed.h"

#include <QString>
#include <QTime>

#include "app/CLiveTextDlg.h"
#include "dsp/SampleFormat.h"
#include "live/ProcessingLoop.h"

CLiveTextFeed::CLiveTextFeed(CSettingsStore& store, QWidget* parent)
    : m_store(store), m_parent(parent), m_worker(std::make_unique<morvane::LiveTextWorker>([this] {
          // The worker's thread: only post; the pieces are taken on the window's.
          QMetaObject::invokeMethod(&m_context, [this] { ShowFound(); }, Qt::QueuedConnection);
      })) {}

CLiveTextFeed::~CLiveTextFeed() = default;

void CLiveTextFeed::Show() {
    if (!m_window) m_window = new CLiveTextDlg(m_store, m_parent);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void CLiveTextFeed::Restart(const morvane::ProcessingLoop& loop, const std::vector<std::int32_t>& levels,
                            bool realTime) {
    m_tone1Hz = loop.Settings().tone1Hz;
    m_tone2Hz = loop.Settings().tone2Hz;
    m_soft = m_window->Soft();
    m_worker->Restart(morvane::LiveTextOptions{m_tone1Hz, m_tone2Hz, {}, morvane::LiveTextDeciderFor(m_soft)});
    m_running = true;
    m_finished = false;
    m_wallClock = realTime;
    // The stream's first sample lies as far back as the levels present reach.
    const auto ms = static_cast<qint64>(static_cast<double>(loop.Timeline().SampleOf(
                                            static_cast<std::int64_t>(levels.size()))) *
                                        1000.0 / morvane::kSampleRate);
    m_streamStart = QDateTime::currentDateTime().addMSecs(-ms);
}

void CLiveTextFeed::Update(const morvane::ProcessingLoop& loop, const std::vector<std::int32_t>& levels,
                           bool realTime) {
    if (!m_window || !m_window->isVisible()) {
        m_running = false;
        return;
    }
    const bool tonesChanged = loop.Settings().tone1Hz != m_tone1Hz || loop.Settings().tone2Hz != m_tone2Hz;
    if (!m_running || levels.size() < m_worker->Fed() || tonesChanged || m_window->Soft() != m_soft ||
        (m_finished && levels.size() != m_worker->Fed()))
        Restart(loop, levels, realTime);
    m_worker->Feed(levels, loop.Timeline(), loop.Soft());
}

void CLiveTextFeed::Finish(const morvane::ProcessingLoop& loop, const std::vector<std::int32_t>& levels) {
    if (!m_running || m_finished || levels.size() < m_worker->Fed()) return;
    m_worker->Feed(levels, loop.Timeline(), loop.Soft());
    m_worker->Finish();
    m_finished = true;
}

void CLiveTextFeed::Settle() {
    m_worker->Drain();
    ShowFound();
}

void CLiveTextFeed::ShowFound() {
    if (!m_window) return;
    for (const morvane::LiveTextPiece& piece : m_worker->Take()) {
        if (piece.kind == morvane::LiveTextPiece::Kind::Text) {
            m_window->AppendText(QString::fromStdString(piece.text));
            continue;
        }
        const auto ms = static_cast<qint64>(static_cast<double>(piece.transmission.firstSample) * 1000.0 /
                                            morvane::kSampleRate);
        const QString clock = m_wallClock ? m_streamStart.addMSecs(ms).toString(QStringLiteral("HH:mm:ss"))
                                          : QTime(0, 0).addMSecs(static_cast<int>(ms % 86400000)).toString(
                                                QStringLiteral("HH:mm:ss"));
        m_window->BeginTransmission(QString::fromStdString(morvane::TransmissionHeader(clock.toStdString(),
                                                                                         piece.transmission)));
    }
}
