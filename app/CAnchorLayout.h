#pragma once
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

/// Keeps chosen child controls anchored to the edges of their window as it is
/// resized. The anchors are captured once from the laid-out window; every
/// other control keeps its position and size.
class CAnchorLayout {
public:
    /// Which edges a control follows.
    enum class Anchor {
        Stretch,      // left and top stay; right and bottom margins stay (grows with the window)
        BottomLeft,   // left, width and height stay; bottom margin stays
        BottomRight,  // width and height stay; right and bottom margins stay
    };

    /// Records the control's current rectangle against the client size.
    void Capture(QWidget* control, Anchor anchor, const QSize& client);
    /// The rectangle the control gets for a client area of `client` pixels.
    static QRect Place(Anchor anchor, const QRect& original, const QSize& capturedClient, const QSize& client);
    /// Moves every captured control for the new client size.
    void Apply(const QSize& client) const;
    bool Empty() const { return m_items.empty(); }

private:
    struct Item {
        QWidget* control;
        Anchor anchor;
        QRect original;
        QSize client;
    };
    std::vector<Item> m_items;
};
