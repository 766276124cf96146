#pragma once
#include <QPoint>
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
    };

    /// Writes the window's normal (restored) placement and its show state.
    static void Save(const QWidget& window, CSettingsStore& store, const QString& section = kMainDlg);

    /// Reads the stored placement; "State" is read but never applied. A
    /// position beyond ±1 048 576 pixels or a size outside 1 … 65 536 pixels
    /// (a damaged file) is ignored, as if missing.
    static Saved Read(CSettingsStore& store, const QString& section = kMainDlg);

    /// Moves the window to `position` unless that would put it wholly off every screen.
    static void MoveOntoAScreen(QWidget& window, const QPoint& position);

    /// Resizes the window so that its outer size, frame included, is `outer`.
    static void ResizeOuter(QWidget& window, const QSize& outer);
};
