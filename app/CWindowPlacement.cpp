#include "app/CWindowPlacement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <cstdint>

#include "app/CSettingsStore.h"

namespace {

const QString kSection = QString::fromLatin1(CSettingsStore::kSectionMainDlg);

// Marks a value that was never stored.
constexpr std::int32_t kMissing = -1717171717;

// Show commands of a window placement, as stored in "State".
constexpr std::int32_t kShowNormal = 1;
constexpr std::int32_t kShowMinimised = 2;
constexpr std::int32_t kShowMaximised = 3;

}  // namespace

void CWindowPlacement::Save(const QWidget& window, CSettingsStore& store) {
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    const int frameWidth = frame.width() - client.width();
    const int frameHeight = frame.height() - client.height();
    const QPoint clientOffset = client.topLeft() - frame.topLeft();
    std::int32_t state = kShowNormal;
    QRect normal = client;
    if (window.isMinimized() || window.isMaximized()) {
        state = window.isMinimized() ? kShowMinimised : kShowMaximised;
        normal = window.normalGeometry();
    }
    store.WriteInt(kSection, QStringLiteral("X"), normal.x() - clientOffset.x());
    store.WriteInt(kSection, QStringLiteral("Y"), normal.y() - clientOffset.y());
    store.WriteInt(kSection, QStringLiteral("Width"), normal.width() + frameWidth);
    store.WriteInt(kSection, QStringLiteral("Height"), normal.height() + frameHeight);
    store.WriteInt(kSection, QStringLiteral("State"), state);
}

CWindowPlacement::Saved CWindowPlacement::Read(CSettingsStore& store) {
    const std::int32_t x = store.ReadInt(kSection, QStringLiteral("X"), kMissing);
    const std::int32_t y = store.ReadInt(kSection, QStringLiteral("Y"), kMissing);
    const std::int32_t w = store.ReadInt(kSection, QStringLiteral("Width"), kMissing);
    const std::int32_t h = store.ReadInt(kSection, QStringLiteral("Height"), kMissing);
    // "State" (minimised, maximised) is kept but not applied: the window opens normal.
    (void)store.ReadInt(kSection, QStringLiteral("State"), kMissing);

    Saved saved;
    if (!(x == kMissing && y == kMissing)) saved.position = QPoint(x, y);
    if (!(w == kMissing && h == kMissing)) saved.size = QSize(w, h);
    return saved;
}

void CWindowPlacement::MoveOntoAScreen(QWidget& window, const QPoint& position) {
    // A window placed wholly off every screen (a screen since removed) stays where the desktop puts it.
    const QRect placed(position, QSize(std::max(1, window.frameGeometry().width()),
                                       std::max(1, window.frameGeometry().height())));
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(placed)) {
            window.move(position);
            return;
        }
    }
}

void CWindowPlacement::ResizeOuter(QWidget& window, const QSize& outer) {
    // Qt keeps the client area at least at the minimum size, so a saved size
    // below it comes back at the minimum.
    const int frameWidth = window.frameGeometry().width() - window.width();
    const int frameHeight = window.frameGeometry().height() - window.height();
    window.resize(std::max(1, outer.width() - frameWidth), std::max(1, outer.height() - frameHeight));
}
