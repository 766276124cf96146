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

constexpr std::int32_t kLargestFrame = 1024;

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
    store.WriteInt(section, QStringLiteral("FrameWidth"), frameWidth);
    store.WriteInt(section, QStringLiteral("FrameHeight"), frameHeight);
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
    const std::int32_t fw = store.ReadInt(section, QStringLiteral("FrameWidth"), kMissing);
    const std::int32_t fh = store.ReadInt(section, QStringLiteral("FrameHeight"), kMissing);
    // A frame is a few dozen pixels; anything else is not one.
    if (fw >= 0 && fh >= 0 && fw <= kLargestFrame && fh <= kLargestFrame) saved.frame = QSize(fw, fh);
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

QRect CWindowPlacement::FitInto(const QRect& wanted, const QRect& area) {
    const int w = std::min(wanted.width(), area.width());
    const int h = std::min(wanted.height(), area.height());
    const int x = std::clamp(wanted.x(), area.x(), area.x() + area.width() - w);
    const int y = std::clamp(wanted.y(), area.y(), area.y() + area.height() - h);
    return QRect(x, y, w, h);
}

void CWindowPlacement::KeepOnScreen(QWidget& window, bool shrink) {
    const QRect frame = window.frameGeometry();
    const QScreen* best = nullptr;
    std::int64_t bestShare = -1;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->availableGeometry().intersected(frame);
        const std::int64_t share = common.isEmpty() ? 0 : std::int64_t{common.width()} * common.height();
        if (share > bestShare) {
            best = screen;
            bestShare = share;
        }
    }
    if (!best) return;
    const QRect fitted = FitInto(frame, best->availableGeometry());
    if (shrink && fitted.size() != frame.size())
        window.resize(std::max(1, window.width() - (frame.width() - fitted.width())),
                      std::max(1, window.height() - (frame.height() - fitted.height())));
    if (fitted.topLeft() != frame.topLeft()) window.move(fitted.topLeft());
}

QSize CWindowPlacement::ClientFor(const QSize& outer, const QSize& liveFrame, const std::optional<QSize>& savedFrame) {
    // No frame yet (not shown, or not yet framed by the desktop): the one it had when saved.
    const bool framed = liveFrame.width() > 0 || liveFrame.height() > 0;
    const QSize frame = !framed && savedFrame ? *savedFrame : liveFrame;
    return QSize(ClampSide(std::int64_t{outer.width()} - frame.width()),
                 ClampSide(std::int64_t{outer.height()} - frame.height()));
}

void CWindowPlacement::ResizeOuter(QWidget& window, const QSize& outer, const std::optional<QSize>& savedFrame) {
    // Qt keeps the client area at least at the minimum size, so a saved size
    // below it comes back at the minimum.
    const QSize liveFrame(std::max(0, window.frameGeometry().width() - window.width()),
                          std::max(0, window.frameGeometry().height() - window.height()));
    window.resize(ClientFor(outer, liveFrame, savedFrame));
}
