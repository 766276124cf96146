#pragma once

class QAction;
class QWidget;

/// The main window's context menu (the desktop has no system menu to
/// extend): its entries, each with its shortcut, added to the window as
/// actions in menu order. "Follow newest rows", "Time-true raster" and
/// "Receive pane" and "Tuning waterfall" are checkable; "Replay at real time" starts disabled. The window connects them.
struct CWindowMenu {
    /// followNewest: whether "Follow newest rows" starts checked.
    CWindowMenu(QWidget& window, bool followNewest);

    QAction* openRecording = nullptr;
    QAction* replay = nullptr;
    QAction* savePicture = nullptr;
    QAction* followNewest = nullptr;
    QAction* align = nullptr;
    QAction* timeTrue = nullptr;
    QAction* liveText = nullptr;
    QAction* receivePane = nullptr;
    QAction* tuningWaterfall = nullptr;
    QAction* about = nullptr;
};
