#pragma once
#include <QFont>
#include <QRect>
#include <QSize>

/// Converts dialog-template units to pixels the way dialog units are defined:
/// a horizontal unit is a quarter of the dialog font's average character
/// width, a vertical unit an eighth of its character height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int X(int units) const;
    int Y(int units) const;
    /// A template rectangle (left, top, width, height in dialog units) in pixels.
    QRect Rect(int left, int top, int width, int height) const;
    QSize Size(int width, int height) const;

    int BaseX() const { return m_baseX; }
    int BaseY() const { return m_baseY; }

private:
    int m_baseX;  // average character width in pixels
    int m_baseY;  // character height in pixels
};
