#pragma once
#include <QDateTime>
#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

#include "scanner/ScannerWorker.h"
#include "scanner/SignalRows.h"

class CPanoramicView;
class CSignalMarks;
class CSignalsDlg;
class QAction;
class QWidget;

namespace morvane {
class ProcessingLoop;
}

/// Feeds the "Signals" window from the processing loop: while the window is
/// open, after every processed block it hands the samples the block brought
/// to the scanner, which runs on a thread of its own, and shows what it
/// found as soon as it is posted back: the list of signals and their marks
/// on the waterfall. It starts over when the level stream was emptied (a new
/// capture or reading) and stops when the window closes (the marks go with
/// it). A click on a signal in the list is handed to `chosen` with its
/// tones rounded to whole Hz. The time shown is the time of day a signal
/// began, or for a recording read faster than real time the time into it.
class CSignalsFeed {
public:
    /// loop and view outlive the feed; `parent` owns the window and gets the action.
    CSignalsFeed(const morvane::ProcessingLoop& loop, CPanoramicView& view, QWidget* parent,
                 std::function<void(int lowHz, int highHz)> chosen);
    ~CSignalsFeed();

    /// "Signals" (Ctrl+G): shows the window. The owner puts it in its menu.
    QAction* Action() const { return m_action; }
    /// Shows the window (creating it the first time) and brings it to the front.
    void Show();
    /// The window, or null before the first Show.
    CSignalsDlg* Window() const { return m_window; }
    /// Called with the window when it is made, before it is first shown
    /// (the owner keeps its placement).
    void SetWindowMade(std::function<void(QWidget&)> made) { m_made = std::move(made); }
    CSignalMarks* Marks() const { return m_marks; }

    /// After a Process: hands on what the capture gained.
    /// `realTime`: the sound comes from a card or a recording played at its own pace.
    void Update(bool realTime);
    /// The stream ended (capture stopped, reading finished): what is left is read.
    void Finish();
    /// Waits until the scanner has read everything handed on and shows it (tests).
    void Settle();

    /// Blocks of a recording read faster than real time that may wait for the scanner.
    static constexpr std::size_t kBacklogBlocks = 16;
    /// Text a signal's row keeps (bytes).
    static constexpr std::size_t kKeptText = 16384;

private:
    void ShowFound();
    void Restart(bool realTime);
    void Stop();
    QString Clock(std::int64_t sample) const;

    const morvane::ProcessingLoop& m_loop;
    CPanoramicView& m_view;
    QWidget* m_parent;
    std::function<void(int, int)> m_chosen;
    QAction* m_action = nullptr;       // owned by the parent
    CSignalsDlg* m_window = nullptr;   // owned by the parent
    std::function<void(QWidget&)> m_made;
    CSignalMarks* m_marks = nullptr;   // owned by the view
    QObject m_context;                 // posted news arrives through it (dropped once the feed is gone)
    bool m_running = false;
    bool m_finished = false;
    bool m_wallClock = true;
    std::size_t m_seenLevels = 0;
    QDateTime m_streamStart;
    morvane::SignalRows m_rows{kKeptText};
    std::unique_ptr<morvane::ScannerWorker> m_worker;  // last: stopped first
};
