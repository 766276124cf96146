#pragma once
#include <QFont>
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

/// Places controls at their dialog-template positions (dialog units of the
/// window's font). The templates were drawn for a narrower font than most
/// desktops use, so where a label's or check box's text would not fit its
/// template width, every horizontal position and width is stretched by the
/// same factor (at most kMaxStretch): the template's proportions stay and no
/// text is cut.
class CTemplateLayout {
public:
    explicit CTemplateLayout(const QFont& font) : m_font(font) {}

    /// A control and its template rectangle (left, top, width, height in dialog
    /// units); with fitText its text must fit the width.
    void Add(QWidget* control, int left, int top, int width, int height, bool fitText = false);
    /// Sets every control's geometry and returns the client size in pixels
    /// for a template of width × height dialog units.
    QSize Apply(int width, int height);
    /// The horizontal factor applied (1 when every text fits).
    double Stretch() const { return m_stretch; }

    static constexpr double kMaxStretch = 1.5;

private:
    struct Item {
        QWidget* control;
        QRect units;
        bool fitText;
    };
    int ScaledX(int units) const;

    QFont m_font;
    std::vector<Item> m_items;
    double m_stretch = 1.0;
    int m_baseX = 1;
};
