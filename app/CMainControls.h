#pragma once
#include <optional>
#include <QSize>
#include <cstdint>

#include "app/CAnchorLayout.h"

class CPanoramicView;
class CParameterPanel;
class CResultsView;
class CSettingsStore;
class QCheckBox;
class QDialog;
class QLabel;
class QPushButton;

/// The main window's controls at their template positions (440 × 322 dialog
/// units, widened where a text would not fit), the parameter fields among
/// them, in the tab order of their rows; and how the window is sized: the
/// results view, "Contrast", "Show grid" and the status line follow the
/// window's size, it is never narrower than laid out nor lower than
/// kMinHeight (outer sizes), and it comes back where and as large as it was.
class CMainControls {
public:
    /// Creates the controls in `window` (which is resized to the template).
    CMainControls(QDialog& window, CParameterPanel& panel);

    /// Once the window is set up: captures the anchors, fixes the minimum
    /// size and restores the placement stored in `store`.
    void LayOut(CSettingsStore& store);
    /// Sets the tab order: the fields row by row, then the buttons.
    void SetTabOrder(CParameterPanel& panel);
    /// After the window was resized: moves the anchored controls (false
    /// before LayOut: nothing moved).
    bool Resized();
    /// The first time the window is shown, when the desktop's frame is known.
    void Shown();
    /// The window's outer width when it was laid out: the narrowest it can be dragged.
    std::int32_t MinWidth() const { return m_minWidth; }
    /// Keeps `width` pixels on the right of the client area for a side pane
    /// (0: none): the controls are laid out in the rest as without it, and
    /// the window is that much wider at least.
    void ReserveRight(int width);
    int ReservedRight() const { return m_reservedRight; }
    /// Whether a stored size was restored (it already holds a side pane shown then).
    bool SizeRestored() const { return m_restoredSize.isValid(); }

    static constexpr std::int32_t kMinHeight = 400;

    CPanoramicView* panoramic = nullptr;
    CResultsView* results = nullptr;
    QPushButton* exit = nullptr;
    QPushButton* startCapture = nullptr;
    QPushButton* stopCapture = nullptr;
    QPushButton* extractBits = nullptr;
    QPushButton* about = nullptr;
    QPushButton* contrast = nullptr;
    QCheckBox* showGrid = nullptr;
    QLabel* status = nullptr;

private:
    void ApplyMinimumSize();

    QDialog& m_window;
    CAnchorLayout m_layout;
    std::int32_t m_minWidth = 0;
    int m_templateClientWidth = 0;
    bool m_shownOnce = false;
    int m_reservedRight = 0;
    QSize m_restoredSize;  // outer size read from the settings, or invalid
    std::optional<QSize> m_savedFrame;  // the frame's share of it when it was saved
};
