#include "app/CTemplateLayout.h"

#include <QWidget>
#include <algorithm>
#include <cmath>

#include "widgets/DialogUnits.h"

void CTemplateLayout::Add(QWidget* control, int left, int top, int width, int height, bool fitText) {
    m_items.push_back({control, QRect(left, top, width, height), fitText});
}

int CTemplateLayout::ScaledX(int units) const {
    return static_cast<int>(std::lround(units * m_baseX * m_stretch / 4.0));
}

QSize CTemplateLayout::Apply(int width, int height) {
    const DialogUnits du(m_font);
    m_baseX = du.BaseX();
    m_stretch = 1.0;
    for (const Item& item : m_items) {
        if (!item.fitText)
            continue;
        const int have = du.X(item.units.width());
        const int need = item.control->sizeHint().width();
        if (have > 0 && need > have)
            m_stretch = std::max(m_stretch, static_cast<double>(need) / have);
    }
    m_stretch = std::min(m_stretch, kMaxStretch);
    for (const Item& item : m_items) {
        const QRect& u = item.units;
        const int left = ScaledX(u.left());
        const int right = ScaledX(u.left() + u.width());
        item.control->setGeometry(left, du.Y(u.top()), right - left, du.Y(u.height()));
    }
    return QSize(ScaledX(width), du.Y(height));
}
