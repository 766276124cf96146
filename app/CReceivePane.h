#pragma once
#include <functional>

class CLiveTextFeed;
class CMainControls;
class CSettingsStore;
class CTuningPanel;
class CTuningWaterfall;
class QDialog;
class QPlainTextEdit;

/// "Receive pane": the live text's running text in a pane on the right of
/// the main window, which grows by kWidth for it while every other control
/// stays where it is. Hidden, the window is as without it. The pane is a
/// second view of the live text's document, with Copy, Select all and Save
/// text in its own context menu. Above the text, the tuning controls
/// (CTuningPanel), made with the pane, and with "Tuning waterfall" on, a
/// zoomed waterfall between them and the text.
class CReceivePane {
public:
    /// All four outlive the pane. `made` is called once the tuning panel exists.
    CReceivePane(QDialog& window, CMainControls& controls, CLiveTextFeed& liveText, CSettingsStore& store,
                 std::function<void(CTuningPanel&, CTuningWaterfall&)> made);
    ~CReceivePane();
    CReceivePane(const CReceivePane&) = delete;
    CReceivePane& operator=(const CReceivePane&) = delete;

    /// Shows or hides the pane, growing or shrinking the window by kWidth.
    void SetShown(bool on);
    bool Shown() const;
    /// Fits the pane into the strip kept for it (after a resize).
    void Place();

    /// The tuning controls while the pane is shown, else null.
    CTuningPanel* Tuning() const;
    /// "Tuning waterfall": shown in the pane (while the pane is) or not.
    void SetWaterfallShown(bool on);
    /// The waterfall while it is shown, else null.
    CTuningWaterfall* Waterfall() const;
    void WriteSettings();

    static constexpr int kWidth = 320;
    static constexpr int kTuningHeight = 200;
    static constexpr int kWaterfallHeight = 150;

private:
    void Make();

    QDialog& m_window;
    CMainControls& m_controls;
    CLiveTextFeed& m_liveText;
    CSettingsStore& m_store;
    std::function<void(CTuningPanel&, CTuningWaterfall&)> m_made;
    QPlainTextEdit* m_pane = nullptr;  // children of the window
    CTuningPanel* m_tuning = nullptr;
    CTuningWaterfall* m_waterfall = nullptr;
    bool m_waterfallOn = false;
};
