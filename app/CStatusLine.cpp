#include "app/CStatusLine.h"

#include <QFontMetrics>
#include <QLabel>
#include <algorithm>

CStatusLine::CStatusLine(QLabel* label) : m_label(label), m_font(label->font()) {
    m_notice.setSingleShot(true);
    m_notice.setInterval(kNoticeMs);
    QObject::connect(&m_notice, &QTimer::timeout, m_label, [this] { Refresh(); });
}

void CStatusLine::SetStatus(const QString& text, bool notice) {
    m_status = text;
    if (notice)
        m_notice.start();
    else
        m_notice.stop();
    Refresh();
}

void CStatusLine::SetActivity(const QString& text) {
    m_activity = text;
    Refresh();
}

void CStatusLine::SetHover(const QString& text) {
    m_hover = text;
    Refresh();
}

QString CStatusLine::Text() const {
    if (!m_hover.isEmpty()) return m_hover;
    return m_activity.isEmpty() || m_notice.isActive() ? m_status : m_activity;
}

void CStatusLine::Refresh() {
    const QString shown = Text();
    m_label->setToolTip(shown);
    // A long text takes a smaller font before it is cut.
    QFont font = m_font;
    const bool points = m_font.pointSizeF() > 0;
    const double size = points ? m_font.pointSizeF() : m_font.pixelSize();
    for (double scale = 1.0; scale >= kSmallestScale - 1e-9; scale -= 0.05) {
        if (points)
            font.setPointSizeF(size * scale);
        else
            font.setPixelSize(std::max(1, static_cast<int>(size * scale)));
        if (QFontMetrics(font).horizontalAdvance(shown) <= m_label->width()) break;
    }
    if (m_label->font() != font) m_label->setFont(font);
    m_label->setText(QFontMetrics(font).elidedText(shown, Qt::ElideRight, m_label->width()));
}
