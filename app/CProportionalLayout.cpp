#include "app/CProportionalLayout.h"

#include <QWidget>
#include <algorithm>
#include <cmath>

void CProportionalLayout::Add(QWidget* control, Shares shares) {
    m_items.push_back({control, shares, control->geometry()});
}

void CProportionalLayout::Apply(const QSize& client) const {
    const int dw = std::max(0, client.width() - m_base.width());
    const int dh = std::max(0, client.height() - m_base.height());
    auto part = [](double share, int growth) { return static_cast<int>(std::lround(share * growth)); };
    for (const Item& item : m_items) {
        const QRect& r = item.original;
        item.control->setGeometry(r.x() + part(item.shares.x, dw), r.y() + part(item.shares.y, dh),
                                  r.width() + part(item.shares.w, dw), r.height() + part(item.shares.h, dh));
    }
}
