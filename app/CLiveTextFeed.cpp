#include "app/CLiveTextFeed.h"

#include <QString>
#include <QTime>

#include "app/CLiveTextDlg.h"
#include "app/CTuningPanel.h"
#include "dsp/LevelStream.h"
#include "dsp/SampleFormat.h"
#include "live/ProcessingLoop.h"

CLiveTextFeed::CLiveTextFeed(CSettingsStore& store, const morvane::ProcessingLoop& loop, QWidget* parent)
    : m_store(store), m_loop(loop), m_stream(loop.Stream()), m_parent(parent),
      m_squelchDb(CTuningPanel::StoredSquelch(store)),
      m_worker(std::make_unique<morvane::LiveTextWorker>([this] {
          // The worker's thread: only post; the pieces are taken on the window's.
          QMetaObject::invokeMethod(&m_context, [this] { ShowFound(); }, Qt::QueuedConnection);
      })) {}

CLiveTextFeed::~CLiveTextFeed() = default;

CLiveTextDlg* CLiveTextFeed::Made() {
    if (!m_window) {
        m_window = new CLiveTextDlg(m_store, m_parent);
        QObject::connect(m_window, &CLiveTextDlg::softChanged, &m_context, [this] { m_restartDue = true; });
        QObject::connect(m_window, &CLiveTextDlg::readerChanged, &m_context, [this] { m_restartDue = true; });
    }
    return m_window;
}

void CLiveTextFeed::Show() {
    Made();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void CLiveTextFeed::Restart(bool realTime) {
    std::int64_t end = 0;  // the stream position of the newest sample read
    if (m_window->ReadsSitor()) {
        // SITOR-B finds its tones itself, as decode --code sitor-b --follow does.
        m_worker->RestartOnSitor(m_loop.NewSamplesStart());
        end = m_loop.NewSamplesStart() + static_cast<std::int64_t>(m_loop.NewSamples().size());
    } else if (m_window->ReadsSamples()) {
        // The receiver finds the keyed pair itself, as decode --auto does.
        morvane::ReceiverOptions options;
        options.squelchDb = m_squelchDb;
        m_worker->RestartOnSamples(options, m_loop.NewSamplesStart());
        end = m_loop.NewSamplesStart() + static_cast<std::int64_t>(m_loop.NewSamples().size());
    } else {
        m_worker->Restart(morvane::LiveTextOptions{m_stream.tones.tone1Hz, m_stream.tones.tone2Hz, {},
                                                   morvane::LiveTextDeciderFor(m_window->Soft())});
        end = m_stream.timeline.SampleOf(static_cast<std::int64_t>(m_stream.levels.size()));
    }
    m_running = true;
    m_lock.Restart();
    m_restartDue = false;
    m_tonesChanged = false;
    m_finished = false;
    m_wallClock = realTime;
    // The stream's first sample lies as far back as the sound present reaches.
    const auto ms = static_cast<qint64>(static_cast<double>(end) * 1000.0 / morvane::kSampleRate);
    m_streamStart = QDateTime::currentDateTime().addMSecs(-ms);
}

bool CLiveTextFeed::NewStream() const {
    // Emptied (a new capture or reading), or more after the end was read.
    const std::size_t size = m_stream.levels.size();
    if (size < m_seenLevels) return true;
    if (!m_finished) return false;
    return m_worker->ReadsSamples() ? !m_loop.NewSamples().empty() : size != m_worker->Fed();
}

void CLiveTextFeed::Update(bool realTime) {
    if (!m_window || !(m_window->isVisible() || m_shownElsewhere)) {
        m_running = false;
        return;
    }
    const bool samples = m_window->ReadsSamples();
    if (!m_running || m_restartDue || (m_tonesChanged && !samples) || m_worker->ReadsSamples() != samples ||
        m_worker->ReadsSitor() != m_window->ReadsSitor() ||
        NewStream())
        Restart(realTime);
    m_seenLevels = m_stream.levels.size();
    if (m_worker->ReadsSamples()) {
        // A recording read faster than real time waits for the receiver
        // rather than piling its sound up in front of it.
        if (!realTime) m_worker->WaitBelow(kBacklogBlocks);
        m_worker->FeedSamples(m_loop.NewSamples().data(), m_loop.NewSamples().size());
    }
    else
        m_worker->Feed(m_stream.levels, m_stream.timeline, m_stream.soft);
}

void CLiveTextFeed::SetSquelch(std::optional<double> db) {
    if (db == m_squelchDb) return;
    m_squelchDb = db;
    if (m_worker->ReadsSamples()) m_restartDue = true;
}

void CLiveTextFeed::Finish() {
    if (!m_running || m_finished) return;
    if (!m_worker->ReadsSamples()) {
        if (m_stream.levels.size() < m_worker->Fed()) return;
        m_worker->Feed(m_stream.levels, m_stream.timeline, m_stream.soft);
    }
    m_worker->Finish();
    m_finished = true;
}

void CLiveTextFeed::Settle() {
    m_worker->Drain();
    ShowFound();
}

void CLiveTextFeed::ShowFound() {
    if (!m_window) return;
    const auto reached = static_cast<std::int64_t>(m_stream.levels.size());
    for (const morvane::LiveTextPiece& piece : m_worker->Take()) {
        if (piece.kind == morvane::LiveTextPiece::Kind::Text) {
            m_lock.Text(reached);
            m_window->AppendText(QString::fromStdString(piece.text));
            continue;
        }
        m_lock.Transmission(reached);
        const auto ms = static_cast<qint64>(static_cast<double>(piece.transmission.firstSample) * 1000.0 /
                                            morvane::kSampleRate);
        const QString clock = m_wallClock ? m_streamStart.addMSecs(ms).toString(QStringLiteral("HH:mm:ss"))
                                          : QTime(0, 0).addMSecs(static_cast<int>(ms % 86400000)).toString(
                                                QStringLiteral("HH:mm:ss"));
        m_window->BeginTransmission(QString::fromStdString(morvane::TransmissionHeader(clock.toStdString(),
                                                                                         piece.transmission)));
    }
}

bool CLiveTextFeed::Locked() const {
    return m_running && !m_finished && m_lock.Locked(static_cast<std::int64_t>(m_stream.levels.size()));
}
