#include "app/CDigitsOnlyFilter.h"

#include <QEvent>
#include <QKeyEvent>

bool CDigitsOnlyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        // Shortcuts (copy, paste, select all) and keys without text pass.
        const bool shortcut = (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
        if (!shortcut && !text.isEmpty()) {
            for (const QChar c : text) {
                if (c.isPrint() && (c < QLatin1Char('0') || c > QLatin1Char('9')))
                    return true;  // dropped
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
