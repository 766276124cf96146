#pragma once
#include <QDateTime>
#include <QObject>
#include <cstdint>
#include <memory>
#include <vector>

#include "livetext/LiveTextWorker.h"

class CLiveTextDlg;
class CSettingsStore;
class QWidget;

namespace morvane {
class ProcessingLoop;
}

/// Feeds the "Live text" window from the processing loop: after every
/// processed block it hands what the level stream gained to the live-text
/// reader, which runs on a thread of its own (hunting for a transmission
/// takes milliseconds, too long for the window's Process step), and shows
/// what the reader found as soon as it is posted back. It starts over when
/// the level stream was emptied (a new capture or reading) or the tones
/// or "Soft decision" changed, and does no work while the window is closed. The clock in a
/// transmission's header is the time of day it began; for a recording read
/// faster than real time it is the time into the recording.
class CLiveTextFeed {
public:
    CLiveTextFeed(CSettingsStore& store, QWidget* parent);
    ~CLiveTextFeed();

    /// Shows the window (creating it the first time) and brings it to the front.
    void Show();
    /// The window, or null before the first Show.
    CLiveTextDlg* Window() const { return m_window; }

    /// After a Process: hands on what the loop's level stream gained.
    /// `realTime`: the levels come from a card or a recording played at its own pace.
    void Update(const morvane::ProcessingLoop& loop, const std::vector<std::int32_t>& levels, bool realTime);
    /// The stream ended (capture stopped, reading finished): what is left is read.
    void Finish(const morvane::ProcessingLoop& loop, const std::vector<std::int32_t>& levels);
    /// Waits until the reader has read everything handed on and shows it (tests).
    void Settle();

private:
    void ShowFound();
    void Restart(const morvane::ProcessingLoop& loop, const std::vector<std::int32_t>& levels, bool realTime);

    CSettingsStore& m_store;
    QWidget* m_parent;
    CLiveTextDlg* m_window = nullptr;  // owned by the parent window
    QObject m_context;                 // posted pieces arrive through it (dropped once the feed is gone)
    bool m_running = false;            // the worker reads the current stream
    bool m_finished = false;           // ... which has ended
    float m_tone1Hz = 0.0F, m_tone2Hz = 0.0F;
    bool m_soft = false;
    bool m_wallClock = true;
    QDateTime m_streamStart;           // the wall-clock time of the stream's first sample
    std::unique_ptr<morvane::LiveTextWorker> m_worker;  // last: stopped first
};
