#pragma once
#include <QColor>
#include <QFont>
#include <QPushButton>
#include <functional>
#include <optional>

/// A push button drawn as a hyperlink: its caption is the address it opens.
///
/// - Colours, read from the palette at construction: normal (Highlight),
///   hover (Link), visited (#800080) and disabled (disabled Text).
/// - The first mouse move over the button turns on the hover look (hover
///   colour, underlined); leaving turns it off. After the link was opened
///   the hover look stays off until the pointer has left and come back.
/// - A click, or Enter pressed and released while focused, opens the link
///   (OpenLink); Space never does. A disabled button ignores both.
/// - Draws a dotted focus rectangle while it has the keyboard focus.
/// - The opener is QDesktopServices::openUrl by default; SetOpener replaces
///   it (tests, or another handler).
class CURLLinkButton : public QPushButton {
    Q_OBJECT

public:
    using Opener = std::function<void(const QString& address)>;

    explicit CURLLinkButton(QWidget* parent = nullptr);
    explicit CURLLinkButton(const QString& address, QWidget* parent = nullptr);

    QColor normalColour;
    QColor hoverColour;
    QColor visitedColour{128, 0, 128};
    QColor disabledColour;

    /// Opens the caption with the opener, unless disabled; the link then
    /// shows as visited and the hover look goes off.
    void OpenLink();
    void SetOpener(Opener opener) { m_opener = std::move(opener); }

    bool Hovering() const { return m_hovering; }
    bool Visited() const { return m_visited; }
    /// The colour the caption is drawn in now.
    QColor TextColour() const;
    /// Whether the caption is drawn underlined now.
    bool Underlined() const { return isEnabled() && m_hovering; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    bool m_hovering = false;
    bool m_tracking = false;
    bool m_visited = false;
    bool m_enterDown = false;
    std::optional<QFont> m_underlineFont;
    Opener m_opener;
};
