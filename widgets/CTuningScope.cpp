#include "widgets/CTuningScope.h"

#include <QPainter>
#include <algorithm>

namespace {

constexpr int kStateHeight = 16;  // the state's line under the scope

QColor StateColour(CTuningScope::State state) {
    switch (state) {
        case CTuningScope::State::Locked: return {40, 200, 70};
        case CTuningScope::State::Signal: return {230, 190, 40};
        case CTuningScope::State::NoSignal: break;
    }
    return {120, 120, 120};
}

}  // namespace

CTuningScope::CTuningScope(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tuningScope"));
    setMinimumSize(80, 80);
    setToolTip(QStringLiteral("Tuning: tone 1 draws across, tone 2 upright; tuned right, a keyed signal draws a cross"));
}

QString CTuningScope::StateText(State state) {
    switch (state) {
        case State::Locked: return QStringLiteral("Locked");
        case State::Signal: return QStringLiteral("Signal");
        case State::NoSignal: break;
    }
    return QStringLiteral("No signal");
}

void CTuningScope::SetPicture(const morvane::TuningPicture& picture, State state) {
    m_picture = picture;
    m_state = state;
    Prepare();
    update();
}

QRectF CTuningScope::Scope() const {
    // A square above the state's line, centred.
    const double side = std::max(10, std::min(width(), height() - kStateHeight)) - 4.0;
    return {(width() - side) / 2.0, 2.0, side, side};
}

void CTuningScope::Prepare() {
    const QRectF scope = Scope();
    const QPointF centre = scope.center();
    const double half = scope.width() / 2.0 - 1.0;
    m_ellipses.clear();
    m_ellipses.reserve(m_picture.ellipses.size());
    for (const auto& e : m_picture.ellipses) {
        const double rx = std::max(0.5, e.tone1 * half), ry = std::max(0.5, e.tone2 * half);
        m_ellipses.emplace_back(centre.x() - rx, centre.y() - ry, 2.0 * rx, 2.0 * ry);
    }
    m_trace = m_state == State::NoSignal ? QColor(90, 160, 90) : QColor(90, 255, 120);
}

void CTuningScope::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Prepare();
}

void CTuningScope::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF scope = Scope();
    painter.fillRect(scope, QColor(10, 20, 10));
    painter.setPen(QColor(40, 70, 40));
    painter.drawLine(QPointF(scope.left(), scope.center().y()), QPointF(scope.right(), scope.center().y()));
    painter.drawLine(QPointF(scope.center().x(), scope.top()), QPointF(scope.center().x(), scope.bottom()));
    // Plain one-pixel outlines: the trace is redrawn every block.
    painter.setPen(QPen(m_trace, 0));
    painter.setBrush(Qt::NoBrush);
    for (const QRectF& e : m_ellipses) painter.drawEllipse(e);
    const QRectF line(0, height() - kStateHeight, width(), kStateHeight);
    painter.setPen(StateColour(m_state));
    painter.drawText(line, Qt::AlignCenter, StateText(m_state));
}
