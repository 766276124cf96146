#pragma once

class CLiveTextFeed;
class CMainControls;
class QDialog;
class QPlainTextEdit;

/// "Receive pane": the live text's running text in a pane on the right of
/// the main window, which grows by kWidth for it while every other control
/// stays where it is. Hidden, the window is as without it. The pane is a
/// second view of the live text's document, with Copy, Select all and Save
/// text in its own context menu.
class CReceivePane {
public:
    /// All three outlive the pane.
    CReceivePane(QDialog& window, CMainControls& controls, CLiveTextFeed& liveText);
    ~CReceivePane();
    CReceivePane(const CReceivePane&) = delete;
    CReceivePane& operator=(const CReceivePane&) = delete;

    /// Shows or hides the pane, growing or shrinking the window by kWidth.
    void SetShown(bool on);
    bool Shown() const;
    /// Fits the pane into the strip kept for it (after a resize).
    void Place();

    static constexpr int kWidth = 320;

private:
    void Make();

    QDialog& m_window;
    CMainControls& m_controls;
    CLiveTextFeed& m_liveText;
    QPlainTextEdit* m_pane = nullptr;  // a child of the window
};
