#pragma once
#include <QDateTime>
#include <QObject>
#include <cstdint>
#include <memory>
#include <optional>

#include "livetext/LiveTextWorker.h"
#include "tuning/SignalLock.h"

class CLiveTextDlg;
class CSettingsStore;
class QWidget;

namespace morvane {
class ProcessingLoop;
struct LevelStream;
}

/// Feeds the "Live text" window from the processing loop: after every
/// processed block it hands what the capture gained to the live-text
/// reading, which runs on a thread of its own (hunting for a transmission
/// takes milliseconds, too long for the window's Process step), and shows
/// what it found as soon as it is posted back. By default the receiver reads
/// the samples the block brought (it finds the keyed tone pair itself);
/// with "Read: Level stream" the level stream is read with the window's
/// tones. It starts over when the level stream was emptied (a new capture or
/// reading), after the reading was switched, and (reading the level stream)
/// after it is told that the tones changed; it does no work while the window
/// is closed. The clock in a
/// transmission's header is the time of day it began; for a recording read
/// faster than real time it is the time into the recording.
class CLiveTextFeed {
public:
    /// loop: read after every block; it must outlive the feed.
    CLiveTextFeed(CSettingsStore& store, const morvane::ProcessingLoop& loop, QWidget* parent);
    ~CLiveTextFeed();

    /// Shows the window (creating it the first time) and brings it to the front.
    void Show();
    /// Creates the window (hidden) the first time; returns it.
    CLiveTextDlg* Made();
    /// Whether another view (the main window's receive pane) shows the text:
    /// the reading then runs with the window closed too.
    void SetShownElsewhere(bool shown) { m_shownElsewhere = shown; }
    /// The window, or null before the first Show.
    CLiveTextDlg* Window() const { return m_window; }

    /// After a Process: hands on what the capture gained.
    /// `realTime`: the sound comes from a card or a recording played at its own pace.
    void Update(bool realTime);
    /// The stream ended (capture stopped, reading finished): what is left is read.
    void Finish();
    /// The demodulator's tones changed: the level stream's reading starts
    /// over with the next block (the receiver follows the tones it found).
    void TonesChanged() { m_tonesChanged = true; }
    /// The receiver's squelch (dB; none: off), as stored at first: a change
    /// starts the samples' reading over with the next block.
    void SetSquelch(std::optional<double> db);
    std::optional<double> Squelch() const { return m_squelchDb; }
    /// Whether the reading holds a transmission now (see SignalLock).
    bool Locked() const;
    /// Waits until the reading has read everything handed on and shows it (tests).
    void Settle();

    /// Blocks of a recording read faster than real time that may wait for the receiver (11 s of sound).
    static constexpr std::size_t kBacklogBlocks = 16;

private:
    void ShowFound();
    void Restart(bool realTime);
    bool NewStream() const;

    CSettingsStore& m_store;
    const morvane::ProcessingLoop& m_loop;
    const morvane::LevelStream& m_stream;
    QWidget* m_parent;
    CLiveTextDlg* m_window = nullptr;  // owned by the parent window
    QObject m_context;                 // posted pieces arrive through it (dropped once the feed is gone)
    bool m_running = false;            // the worker reads the current stream
    bool m_finished = false;           // ... which has ended
    bool m_restartDue = false;         // the reading was switched since
    bool m_tonesChanged = false;       // the demodulator's tones changed since
    bool m_wallClock = true;
    bool m_shownElsewhere = false;
    std::optional<double> m_squelchDb;
    std::size_t m_seenLevels = 0;      // the level stream's length at the last Update
    morvane::SignalLock m_lock;        // of the current reading
    QDateTime m_streamStart;           // the wall-clock time of the stream's first sample
    std::unique_ptr<morvane::LiveTextWorker> m_worker;  // last: stopped first
};
