#include "app/CFlushingSettings.h"

#include <QEvent>

bool CFlushingSettings::event(QEvent* event) {
    if (event->type() == QEvent::UpdateRequest) {
        m_flush();
        return true;
    }
    return QSettings::event(event);
}
