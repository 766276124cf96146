#include "app/CAnchorLayout.h"

#include <QWidget>
#include <algorithm>

void CAnchorLayout::Capture(QWidget* control, Anchor anchor, const QSize& client) {
    m_items.push_back({control, anchor, control->geometry(), client});
}

QRect CAnchorLayout::Place(Anchor anchor, const QRect& original, const QSize& capturedClient, const QSize& client) {
    const int left = original.x();
    const int top = original.y();
    const int rightMargin = capturedClient.width() - (original.x() + original.width());
    const int bottomMargin = capturedClient.height() - (original.y() + original.height());
    const int w = client.width();
    const int h = client.height();
    switch (anchor) {
    case Anchor::Stretch:
        return QRect(left, top, w - rightMargin - left, h - bottomMargin - top);
    case Anchor::BottomLeft:
        return QRect(left, h - bottomMargin - original.height(), original.width(), original.height());
    case Anchor::BottomRight:
        return QRect(w - rightMargin - original.width(), h - bottomMargin - original.height(), original.width(),
                     original.height());
    }
    return original;
}

void CAnchorLayout::Apply(const QSize& client) const {
    for (const Item& item : m_items) {
        QRect rect = Place(item.anchor, item.original, item.client, client);
        // A window smaller than the template would give a negative size.
        rect.setWidth(std::max(0, rect.width()));
        rect.setHeight(std::max(0, rect.height()));
        item.control->setGeometry(rect);
    }
}
