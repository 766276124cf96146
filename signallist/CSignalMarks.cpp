#include "signallist/CSignalMarks.h"

#include <QEvent>
#include <QPainter>
#include <cmath>

#include "widgets/CPanoramicView.h"

namespace {
const QColor kReceived(255, 200, 0);
const QColor kFound(120, 190, 255);
}  // namespace

CSignalMarks::CSignalMarks(CPanoramicView& view) : QWidget(&view), m_view(view) {
    setObjectName(QStringLiteral("signalMarks"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    view.installEventFilter(this);
    Fit();
    show();
}

void CSignalMarks::Fit() { setGeometry(m_view.contentsRect()); }

bool CSignalMarks::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_view && event->type() == QEvent::Resize) Fit();
    return QWidget::eventFilter(watched, event);
}

void CSignalMarks::paintEvent(QPaintEvent*) {
    if (m_marks.empty()) return;
    QPainter painter(this);
    QFont font = painter.font();
    font.setPixelSize(10);
    painter.setFont(font);
    for (const SignalMark& m : m_marks) {
        const int a = m_view.MarkerX(static_cast<std::int32_t>(std::lround(m.lowHz)));
        const int b = m_view.MarkerX(static_cast<std::int32_t>(std::lround(m.highHz)));
        const QColor colour = m.received ? kReceived : kFound;
        painter.setPen(QPen(colour, m.received ? 2 : 1));
        painter.drawLine(a, kTop, b, kTop);
        painter.drawLine(a, kTop, a, kTop + 6);
        painter.drawLine(b, kTop, b, kTop + 6);
        painter.drawText(QRect((a + b) / 2 - 15, kTop + 1, 30, 12), Qt::AlignHCenter | Qt::AlignTop, QString::number(m.number));
    }
}
