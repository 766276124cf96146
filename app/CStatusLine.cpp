#include "app/CStatusLine.h"

#include <QLabel>

CStatusLine::CStatusLine(QLabel* label) : m_label(label) {
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
    m_label->setText(m_label->fontMetrics().elidedText(shown, Qt::ElideRight, m_label->width()));
}
