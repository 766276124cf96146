#pragma once
#include <QDateTime>
#include <cstdint>
#include <memory>
#include <vector>

#include "livetext/LiveTextReader.h"

class CLiveTextDlg;
class CSettingsStore;
class QWidget;

namespace morvane {
class ProcessingLoop;
}

/// Feeds the "Live text" window from the processing loop: after every
/// processed block it hands the newly captured levels to the live-text
/// reader and shows what the reader found. It starts over when the level
/// stream was emptied (a new capture or reading) or the tones changed, and
/// does no work while the window is closed. The clock in a transmission's
/// header is the time of day it began; for a recording read faster than
/// real time it is the time into the recording.
class CLiveTextFeed {
public:
    CLiveTextFeed(CSettingsStore& store, QWidget* parent);
    ~CLiveTextFeed();

    /// Shows the window (creating it the first time) and brings it to the front.
    void Show();
    /// The window, or null before the first Show.
    CLiveTextDlg* Window() const { return m_window; }

    /// After a Process: reads what the loop's level stream gained. `realTime`:
    /// the levels come from a card or a recording played at its own pace.
    void Update(const morvane::ProcessingLoop& loop, const std::vector<std::int32_t>& levels, bool realTime);
    /// The stream ended (capture stopped, reading finished): reads what is left.
    void Finish(const morvane::ProcessingLoop& loop, const std::vector<std::int32_t>& levels);

private:
    void Show(const std::vector<morvane::LiveTextPiece>& pieces);
    void Restart(const morvane::ProcessingLoop& loop, const std::vector<std::int32_t>& levels, bool realTime);

    CSettingsStore& m_store;
    QWidget* m_parent;
    CLiveTextDlg* m_window = nullptr;  // owned by the parent window
    std::unique_ptr<morvane::LiveTextReader> m_reader;
    std::size_t m_seen = 0;            // levels of the stream already given to the reader
    float m_tone1Hz = 0.0F, m_tone2Hz = 0.0F;
    bool m_wallClock = true;
    QDateTime m_streamStart;           // the wall-clock time of the stream's first sample
    bool m_finished = false;
};
