#include "widgets/DialogUnits.h"

#include <QFontMetrics>
#include <QString>
#include <algorithm>
#include <cmath>

namespace {

// Rounded a × b / c, as dialog unit conversion rounds.
int MulDiv(int a, int b, int c) {
    return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width is taken over the 52 letters, rounded to whole pixels.
    static const QString kLetters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int width = metrics.horizontalAdvance(kLetters);
    m_baseX = std::max(1, (width / 26 + 1) / 2);
    m_baseY = std::max(1, metrics.height());
}

int DialogUnits::X(int units) const { return MulDiv(units, m_baseX, 4); }
int DialogUnits::Y(int units) const { return MulDiv(units, m_baseY, 8); }

QRect DialogUnits::Rect(int left, int top, int width, int height) const {
    return QRect(X(left), Y(top), X(width), Y(height));
}

QSize DialogUnits::Size(int width, int height) const { return QSize(X(width), Y(height)); }
