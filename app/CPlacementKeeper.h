#pragma once
#include <QObject>
#include <QString>

class CSettingsStore;
class QWidget;

/// Keeps a window's place and size between runs in its own section of the
/// settings: the first time it is shown it takes the stored placement (the
/// first time ever, over its parent), never partly off the screen; each time
/// it is hidden the placement is stored.
class CPlacementKeeper : public QObject {
public:
    /// window and store outlive the keeper; it watches the window's events.
    CPlacementKeeper(QWidget& window, CSettingsStore& store, QString section);
    /// Stores the placement now if the window has been placed and is shown
    /// (a window still open when the program ends).
    void SaveIfShown() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();

    QWidget& m_window;
    CSettingsStore& m_store;
    QString m_section;
    bool m_placed = false;
};
