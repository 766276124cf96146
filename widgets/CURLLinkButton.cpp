#include "widgets/CURLLinkButton.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QPainter>
#include <QUrl>

CURLLinkButton::CURLLinkButton(QWidget* parent) : CURLLinkButton(QString(), parent) {}

CURLLinkButton::CURLLinkButton(const QString& address, QWidget* parent) : QPushButton(address, parent) {
    const QPalette p = palette();
    normalColour = p.color(QPalette::Active, QPalette::Highlight);
    hoverColour = p.color(QPalette::Active, QPalette::Link);
    disabledColour = p.color(QPalette::Disabled, QPalette::Text);
    // Not a default button: Enter is handled here, on release.
    setAutoDefault(false);
    setDefault(false);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    m_opener = [](const QString& a) { QDesktopServices::openUrl(QUrl(a, QUrl::TolerantMode)); };
    connect(this, &QPushButton::clicked, this, &CURLLinkButton::OpenLink);
}

void CURLLinkButton::OpenLink() {
    if (!isEnabled()) return;
    if (m_opener) m_opener(text());  // a failure to open is not reported
    m_visited = true;
    m_hovering = false;
    update();
}

QColor CURLLinkButton::TextColour() const {
    if (!isEnabled()) return disabledColour;
    if (m_hovering) return hoverColour;
    return m_visited ? visitedColour : normalColour;
}

void CURLLinkButton::mouseMoveEvent(QMouseEvent* event) {
    // The first move after entering turns the hover look on; it stays off
    // after a click until the pointer has left.
    if (!m_tracking) {
        m_tracking = true;
        m_hovering = true;
        update();
    }
    QPushButton::mouseMoveEvent(event);
}

void CURLLinkButton::leaveEvent(QEvent* event) {
    m_hovering = false;
    m_tracking = false;
    update();
    QPushButton::leaveEvent(event);
}

void CURLLinkButton::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
        m_enterDown = true;
        event->accept();
        return;
    }
    m_enterDown = false;
    QPushButton::keyPressEvent(event);
}

void CURLLinkButton::keyReleaseEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Space) {
        event->accept();  // Space never opens the link
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_enterDown) {
        m_enterDown = false;
        event->accept();
        OpenLink();
        return;
    }
    m_enterDown = false;
    QPushButton::keyReleaseEvent(event);
}

bool CURLLinkButton::event(QEvent* event) {
    // Keep the shortcut (mnemonic) machinery and the dialog's default-button
    // handling from clicking the link on Enter or Space.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space) {
            event->accept();
            return true;
        }
    }
    return QPushButton::event(event);
}

void CURLLinkButton::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    update();  // the focus rectangle goes
}

void CURLLinkButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect r = rect();
    if (hasFocus()) {
        QPen pen(palette().color(QPalette::WindowText), 1, Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
    }
    if (!m_underlineFont) {
        QFont f = font();
        f.setUnderline(true);
        m_underlineFont = f;
    }
    painter.setFont(Underlined() ? *m_underlineFont : font());
    painter.setPen(TextColour());
    painter.drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
}
