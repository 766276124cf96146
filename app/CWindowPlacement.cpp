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

// Marks a value that was never stored.
constexpr std::int32_t kMissing = -1717171717;

// Show commands of a window placement, as stored in "State".
constexpr std::int32_t kShowNormal = 1;
constexpr std::int32_t kShowMinimised = 2;
constexpr std::int32_t kShowMaximised = 3;

// No desktop places a window beyond these (pixels); a stored value outside
// them is a damaged or hand-edited file and is ignored. Kept far from the
// 32-bit limits, so that window arithmetic on them cannot overflow.
constexpr std::int64_t kFarthestCoordinate = std::int64_t{1} << 20;
constexpr std::int64_t kLargestSide = std::int64_t{1} << 16;

bool SaneCoordinate(std::int64_t v) { return v >= -kFarthestCoordinate && v <= kFarthestCoordinate; }
bool SaneSide(std::int64_t v) { return v >= 1 && v <= kLargestSide; }

int ClampSide(std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, 1, kLargestSide)); }

}  // namespace

void CWindowPlacement::Save(const QWidget& window, CSettingsStore& store, const QString& section) {
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
    store.WriteInt(section, QStringLiteral("X"), normal.x() - clientOffset.x());
    store.WriteInt(section, QStringLiteral("Y"), normal.y() - clientOffset.y());
    store.WriteInt(section, QStringLiteral("Width"), normal.width() + frameWidth);
    store.WriteInt(section, QStringLiteral("Height"), normal.height() + frameHeight);
    store.WriteInt(section, QStringLiteral("State"), state);
}

CWindowPlacement::Saved CWindowPlacement::Read(CSettingsStore& store, const QString& section) {
    const std::int32_t x = store.ReadInt(section, QStringLiteral("X"), kMissing);
    const std::int32_t y = store.ReadInt(section, QStringLiteral("Y"), kMissing);
    const std::int32_t w = store.ReadInt(section, QStringLiteral("Width"), kMissing);
    const std::int32_t h = store.ReadInt(section, QStringLiteral("Height"), kMissing);
    // "State" (minimised, maximised) is kept but not applied: the window opens normal.
    (void)store.ReadInt(section, QStringLiteral("State"), kMissing);

    Saved saved;
    // A value beyond any desktop (one of a pair missing, or INT_MAX from a
    // damaged file) makes the pair impossible: it is ignored.
    if (!(x == kMissing && y == kMissing) && SaneCoordinate(x) && SaneCoordinate(y)) saved.position = QPoint(x, y);
    if (!(w == kMissing && h == kMissing) && SaneSide(w) && SaneSide(h)) saved.size = QSize(w, h);
    return saved;
}

void CWindowPlacement::MoveOntoAScreen(QWidget& window, const QPoint& position) {
    // A window placed wholly off every screen (a screen since removed) stays where the desktop puts it.
    // In 64 bits: a position near the 32-bit limits must not overflow.
    if (!SaneCoordinate(position.x()) || !SaneCoordinate(position.y())) return;
    const std::int64_t left = position.x(), top = position.y();
    const std::int64_t right = left + std::max(1, window.frameGeometry().width());
    const std::int64_t bottom = top + std::max(1, window.frameGeometry().height());
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        const std::int64_t areaRight = std::int64_t{area.x()} + area.width();
        const std::int64_t areaBottom = std::int64_t{area.y()} + area.height();
        if (left < areaRight && right > area.x() && top < areaBottom && bottom > area.y()) {
            window.move(position);
            return;
        }
    }
}

void CWindowPlacement::ResizeOuter(QWidget& window, const QSize& outer) {
    // Qt keeps the client area at least at the minimum size, so a saved size
    // below it comes back at the minimum.
    const std::int64_t frameWidth = std::int64_t{window.frameGeometry().width()} - window.width();
    const std::int64_t frameHeight = std::int64_t{window.frameGeometry().height()} - window.height();
    window.resize(ClampSide(outer.width() - frameWidth), ClampSide(outer.height() - frameHeight));
}
