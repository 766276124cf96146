#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

#include "app/CSettingsStore.h"

class QWidget;

/// A window's position and size between runs: "X", "Y", "Width", "Height"
/// (outer pixels) and "State" (1 normal, 2 minimised, 3 maximised) in its
/// section, "Windows\MainDlg" for the main window. A missing pair leaves the
/// window where and as large as it opens.
class CWindowPlacement {
public:
    static inline const QString kMainDlg = QString::fromLatin1(CSettingsStore::kSectionMainDlg);

    struct Saved {
        std::optional<QPoint> position;  // outer top-left
        std::optional<QSize> size;       // outer size
        std::optional<QSize> frame;      // outer size less the client size when it was saved
    };

    /// Writes the window's normal (restored) placement and its show state,
    /// and beside them the frame's share of the outer size ("FrameWidth",
    /// "FrameHeight"): before a window is shown its frame is not known yet.
    static void Save(const QWidget& window, CSettingsStore& store, const QString& section = kMainDlg);

    /// Reads the stored placement; "State" is read but never applied. A
    /// position beyond ±1 048 576 pixels or a size outside 1 … 65 536 pixels
    /// (a damaged file) is ignored, as if missing.
    static Saved Read(CSettingsStore& store, const QString& section = kMainDlg);

    /// Moves the window to `position` unless that would put it wholly off every screen.
    static void MoveOntoAScreen(QWidget& window, const QPoint& position);

    /// Moves (and if need be shrinks) the window so that its outer rectangle
    /// lies wholly in the available area of the screen it is on most.
    /// `shrink` false: only moved (a window wider than the screen keeps its size, its left edge shown).
    static void KeepOnScreen(QWidget& window, bool shrink = true);
    /// The rectangle nearest to `wanted` (shrunk to fit) that lies wholly in `area`.
    static QRect FitInto(const QRect& wanted, const QRect& area);

    /// Resizes the window so that its outer size, frame included, is `outer`.
    /// While the desktop has not framed the window yet, the frame is taken as
    /// `savedFrame` (none: no frame).
    static void ResizeOuter(QWidget& window, const QSize& outer, const std::optional<QSize>& savedFrame = {});
    /// The client size for an outer size: less the window's frame, or the
    /// saved one while the window has none yet (both sides at least 1).
    static QSize ClientFor(const QSize& outer, const QSize& liveFrame, const std::optional<QSize>& savedFrame);
};
