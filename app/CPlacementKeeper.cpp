#include "app/CPlacementKeeper.h"

#include <QEvent>
#include <QWidget>
#include <utility>

#include "app/CWindowPlacement.h"

CPlacementKeeper::CPlacementKeeper(QWidget& window, CSettingsStore& store, QString section)
    : m_window(window), m_store(store), m_section(std::move(section)) {
    m_window.installEventFilter(this);
}

void CPlacementKeeper::SaveIfShown() const {
    if (m_placed && m_window.isVisible()) CWindowPlacement::Save(m_window, m_store, m_section);
}

void CPlacementKeeper::Place() {
    m_placed = true;
    const CWindowPlacement::Saved saved = CWindowPlacement::Read(m_store, m_section);
    if (saved.size) CWindowPlacement::ResizeOuter(m_window, *saved.size, saved.frame);
    if (saved.position)
        CWindowPlacement::MoveOntoAScreen(m_window, *saved.position);
    else if (QWidget* parent = m_window.parentWidget())
        // The first time over the window it belongs to.
        m_window.move(parent->frameGeometry().center() -
                      QPoint(m_window.frameGeometry().width() / 2, m_window.frameGeometry().height() / 2));
    CWindowPlacement::KeepOnScreen(m_window);
}

bool CPlacementKeeper::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_window) {
        if (event->type() == QEvent::Show && !m_placed) Place();
        if (event->type() == QEvent::Hide && m_placed) CWindowPlacement::Save(m_window, m_store, m_section);
    }
    return QObject::eventFilter(watched, event);
}
