#include "app/CStatusLine.h"

#include <QLabel>

void CStatusLine::SetStatus(const QString& text) {
    m_status = text;
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
    return m_activity.isEmpty() ? m_status : m_activity;
}

void CStatusLine::Refresh() {
    const QString shown = Text();
    m_label->setToolTip(shown);
    m_label->setText(m_label->fontMetrics().elidedText(shown, Qt::ElideRight, m_label->width()));
}
