#pragma once
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

/// Moves and grows child controls in proportion to how much their window has
/// grown beyond the size they were laid out for: a control with shares
/// (x, y, w, h) gets x × dw added to its left, y × dh to its top, w × dw to
/// its width and h × dh to its height, dw and dh being the growth in pixels.
/// Shares of 0 keep a control where the template put it.
class CProportionalLayout {
public:
    struct Shares {
        double x = 0, y = 0, w = 0, h = 0;
    };

    /// Records the control's current rectangle; `base` is the client size it belongs to.
    void Add(QWidget* control, Shares shares);
    void SetBase(const QSize& base) { m_base = base; }
    const QSize& Base() const { return m_base; }
    /// Moves every recorded control for a client area of `client` pixels.
    void Apply(const QSize& client) const;

private:
    struct Item {
        QWidget* control;
        Shares shares;
        QRect original;
    };
    std::vector<Item> m_items;
    QSize m_base;
};
